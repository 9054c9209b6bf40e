// The lyric loader: the file chosen in 文件框1 goes into the lyric table.
#pragma once

// Reads the file selected in 文件框1, parses it into currentTimeline and shows it in the
// lyric table, with the file's name in 透明标签1. A file that cannot be parsed leaves the
// table empty and says so.
void LoadChosenLyricFile();
