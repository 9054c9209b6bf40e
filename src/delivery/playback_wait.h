// The wait before a lyric line in an anchored playback run, apart from the clock and
// the timer that playback reads and sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// How long the last line of a lyric stands before the nickname comes back at the lyric's
// natural end: the lyric's median gap between successive moments (lines due at one moment
// are one), so that the room sees the last line for as long as it saw a line, within
// [kMinLastLineHoldMs, kMaxLastLineHoldMs]; dueMs ascending. A lyric of one moment holds
// the least.
constexpr int32_t kMinLastLineHoldMs = 3000;
constexpr int32_t kMaxLastLineHoldMs = 10000;
int32_t LastLineHoldMs(const std::vector<int32_t>& dueMs);
