// The lyric loader: choosing a file in 文件框1 (a click or a double click) loads it into
// the lyric table, or halts playback when it runs.
#pragma once

// The handler bound in the event table to both of 文件框1's events.
void OnLyricFileChosen();
