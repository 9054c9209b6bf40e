// The wait before a lyric line in an anchored playback run, apart from the clock and
// the timer that playback reads and sets.
#pragma once

#include <cstdint>

// The wait before the line with time stamp dueStampMs, for a run anchored at
// (anchorTick, anchorStampMs) when the clock reads nowTick: never negative, and at
// least 1 ms so that a due or overdue line keeps the timer running.
int32_t AnchoredWaitMs(int64_t anchorTick, int32_t anchorStampMs, int32_t dueStampMs, int64_t nowTick);
