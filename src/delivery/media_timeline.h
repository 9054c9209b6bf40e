// The timeline the system's media session reports for a session, and where in the track
// the player is now. Players update that timeline only when something changes (play,
// pause, seek), so while they play the reported position has to be carried forward by
// the time since it was updated. Nothing here is Win32: both times are on the system's
// wall clock in 100 ns units (a FILETIME), as the session gives them.
#pragma once

#include <cstdint>

struct MediaTimeline {
  int64_t endTime = 0;          // the track's end (a TimeSpan); 0 when the player does not say
  int64_t position = 0;         // the position when the timeline was last updated (a TimeSpan)
  int64_t lastUpdatedTime = 0;  // when that was (a DateTime: 100 ns since 1601); 0 when never
};

// The player's position in ms at nowFileTime: while it plays, the position carried forward
// from the last update; paused (or stopped), the position as reported. A last update
// slightly in the future (the player's clock ahead of ours) carries nothing, never
// backwards; a position is never below 0 nor past the track's end where the end is known.
int64_t CarriedPositionMs(const MediaTimeline& timeline, bool playing, int64_t nowFileTime);

// The track's length in ms; 0 when the player does not say.
int64_t TimelineLengthMs(const MediaTimeline& timeline);
