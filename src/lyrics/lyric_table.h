// The lyric table `超级列表框_歌词`: a virtual list view of a lyric timeline with one
// row per entry, a time column and a text column. The row's data is the entry's line
// number (row + 1); playback takes it as the line to go on from.
//
// The table stores no rows, so a lyric of any length shows at once (filled row by row,
// Wine's list view spent about 10 ms on each row).
#pragma once

#include <cstdint>

#include "lyrics/lyric_timeline.h"

// The columns, in the layout's order: "时间(毫秒)" and "歌词".
enum class LyricColumn { Time = 0, Text = 1 };

namespace lyric_table {

// The line number held as the row's data; 0 for no row.
int32_t LineAt(int row);

void Select(int row);
void ShowSelected();  // scrolls the selected row into view

// Empties the table, no row selected.
void Clear();
// Shows every entry of timeline, no row selected; timeline must outlive the showing
// (until the next Clear or ShowTimeline).
void ShowTimeline(const LyricTimeline& timeline);

}  // namespace lyric_table
