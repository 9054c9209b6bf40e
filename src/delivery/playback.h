// Timed lyric playback into the target window.
//
// The play button's caption is the run state ("播 放" idle, "停 止" playing); the
// timer 时钟_歌词播放 is set, line after line, to the wait before the next line.
// Each wait is measured from the moment the run started, resumed or jumped
// (AnchoredWaitMs, playback_wait.h), so the time spent writing a line never pushes the
// following lines later. The lines are read from the lyric table (lyric_table.h).
// A line that the target does not take because it does not answer (a hung chat client)
// is tried again every 250 ms, each time as the line that is current by then, so that
// a target that wakes gets the line of the moment and then the following ones on time.
// While lyrics play the singer can nudge the lines not yet written earlier or later, or
// have the next one written at once (playback_hot_keys.h): a nudge moves the anchor, so
// every later line is on time to the moved schedule, and the title bar shows the shift.
#pragma once

#include <cstdint>

// The playback position: 0 = not started; k >= 1 = line k is the next to write.
extern int32_t lyricCursor;

// How the waits between lines are computed. Anchored is the tool's way; Chained, each
// wait the plain gap between two time stamps, exists to measure what it costs.
enum class PlaybackSchedule { Anchored, Chained };
extern PlaybackSchedule playbackSchedule;

// Whether lyrics play: the play button's caption reads anything but idle.
bool IsPlaying();

void OnPlayButton();
// A file chosen in 文件框1 (a click or a double click): loaded into the lyric table from
// its start, or, while lyrics play, playback halts instead.
void OnLyricFileChosen();
void PlaybackTick();
void OnLyricRowDoubleClick();
// Stops playback without forgetting the position, and writes the nickname back.
void HaltPlayback();

// Nudges of an anchored run while lyrics play; nothing while idle. The lines not yet
// written come earlierMs sooner (later when negative), none due before now.
void ShiftPendingLines(int32_t earlierMs);
// The next line is written now, and the lines after it keep their spacing from it.
void WritePendingLineNow();
// How far the nudges have moved the lines ahead of the schedule the run started, resumed
// or jumped with, in ms (negative: behind).
int32_t PlaybackShiftMs();
