// Trimming the blanks of a GBK text. No windows here, so that it runs natively.
#pragma once

#include <string>
#include <string_view>

// Removes the ASCII spaces and full-width spaces (A1 A1) at both ends. After the leading
// blanks the bytes are paired from the start: a byte of 0x80 or above takes the byte
// after it as its trail, so a trail byte of 0x20 or 0xA1 never counts as a blank. A lead
// byte left without a trail at the very end is dropped with the trailing blanks.
std::string TrimBlanks(std::string_view text);
