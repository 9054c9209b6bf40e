// Timed lyric playback into the target window.
#pragma once

#include <cstdint>

// The playback position: 0 = not started; k >= 1 = line k is the next to write.
extern int32_t lyricCursor;

// Stops playback without forgetting the position, and writes the nickname back.
void HaltPlayback();
