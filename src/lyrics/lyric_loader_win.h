// The lyric loader: the file chosen in 文件框1 goes into the lyric table.
#pragma once

#include <string>
#include <string_view>

#include "lyrics/lyric_timeline.h"

// Shown and sent in place of an empty lyric line: the maker's address, as the build
// gives it, and "-提供字幕".
std::string CreditText(std::string_view makerAddress);

// Reads the lyric file at path, parses it into timeline and shows it in the lyric table,
// with the file's name in 透明标签1; empty lines read creditText. A file that cannot be
// read or parsed leaves the table empty and says so (for one that cannot be read: which,
// and why).
void LoadLyricFile(const std::string& path, LyricTimeline& timeline, const std::string& creditText);
