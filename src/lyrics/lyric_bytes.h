// A lyric file's bytes as GBK text.
#pragma once

#include <string>
#include <string_view>

// Files that start with a UTF-16 LE, UTF-16 BE or UTF-8 byte-order mark are converted
// to GBK (a character without a GBK form becomes '?'); every other file is taken as
// GBK as it is. The text ends at its first zero byte.
std::string LyricBytesToText(std::string_view bytes);
