// A lyric file's bytes as the text the parser reads, with the system's UTF-16 to GBK
// conversion.
#pragma once

#include <string>
#include <string_view>

// Files that start with a UTF-16 LE, UTF-16 BE or UTF-8 byte-order mark, and files that
// are strictly valid UTF-8 with at least one multi-byte character, are converted to GBK
// (a character without a GBK form becomes '?'); every other file is taken as GBK as it
// is. The text ends at its first zero byte, and every line end is made CR LF.
std::string LyricFileText(std::string_view bytes);
