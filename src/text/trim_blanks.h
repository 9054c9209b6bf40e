// Trimming the blanks of a text. No windows here, so that it runs natively.
#pragma once

#include <string>
#include <string_view>

// Removes the ASCII spaces and ideographic (full-width) spaces, U+3000, at both ends.
std::string TrimBlanks(std::string_view text);
