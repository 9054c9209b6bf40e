// The wait before a lyric line in an anchored playback run, apart from the clock and
// the timer that playback reads and sets.
#pragma once

#include <cstdint>
#include <string>

// The wait before the line with time stamp dueStampMs, for a run anchored at
// (anchorTick, anchorStampMs) when the clock reads nowTick: never negative, and at
// least 1 ms so that a due or overdue line keeps the timer running.
int32_t AnchoredWaitMs(int64_t anchorTick, int32_t anchorStampMs, int32_t dueStampMs, int64_t nowTick);

// How far a nudge of earlierMs (later when negative) may move the schedule whose next
// line is due at dueTick, when the clock reads nowTick: never so far that the line
// would be due before now (an overdue line is not moved earlier at all).
int32_t BoundedShiftMs(int32_t earlierMs, int64_t dueTick, int64_t nowTick);

// A shift as the title bar shows it: signed, in seconds to a tenth ("+1.0 s").
std::string ShiftCaption(int32_t earlierMs);
