// The lyric loader: the file chosen in 文件框1 goes into the lyric table.
#pragma once

#include "build_settings.h"
#include "lyrics/lyric_timeline.h"

// Shown and sent in place of an empty lyric line.
inline constexpr const char kCreditText[] = RAVO_MAKER_ADDRESS "-提供字幕";

// Reads the file selected in 文件框1, parses it into timeline and shows it in the lyric
// table, with the file's name in 透明标签1. A file that cannot be read or parsed leaves
// the table empty and says so (for one that cannot be read: which, and why).
void LoadChosenLyricFile(LyricTimeline& timeline);
