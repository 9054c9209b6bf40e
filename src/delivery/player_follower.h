// Following a music player: successive readings of the player (each with the moment it
// was taken) and the lyric's due times turned into "write line k now", or nothing, and
// into when to look next. No clock and no Win32 here: the caller hands in the tool's
// clock, so the rules are tested natively against scripted readings.
//
// The line shown is the last whose due time is at or before the player's position plus
// the shift. Between readings the position is carried forward from the last reading by
// the tool's clock, so that a line is written when the player reaches it, not at the
// next reading. A line goes out once, when the position reaches it:
// - paused, stopped or no player: nothing; a stop or a lost player forgets the line
//   written last, so the track played again starts from its first line;
// - resumed: the line at the position, only if it is not the one written last;
// - a seek forward: the line at the new position, none of those jumped over;
// - a seek back by kSeekBackMs or more: the line at the new position, once;
// - a position that wobbles back by less never writes a line a second time.
// Lines are numbered from 1, as the lyric table shows them; lines due at one moment are
// one unit, named by the first of them.
#pragma once

#include <cstdint>
#include <vector>

#include "delivery/player_source.h"

// How far back a position must jump to count as a seek rather than a wobble.
constexpr int64_t kSeekBackMs = 1000;

class PlayerFollower {
 public:
  // A lyric to follow (its lines' due times, ascending): none of it written yet.
  void SetLines(std::vector<int32_t> dueMs);
  bool HasLines() const { return !dueMs_.empty(); }

  // Takes a reading: the line to write at the reading's time (0: none).
  int32_t Take(const PlayerReading& reading);
  // Between readings: the line to write at nowMs, the last reading carried forward.
  int32_t At(int64_t nowMs);
  // When the next line falls due on the tool's clock, from the last reading; INT64_MAX
  // while the player does not play or no line is left.
  int64_t NextDueMs() const;

  // Moves the lines earlierMs sooner against the player (later when negative).
  void Shift(int32_t earlierMs) { shiftMs_ += earlierMs; }
  int32_t ShiftMs() const { return shiftMs_; }
  // The next line due now, the ones after it keeping their spacing from it: the line to
  // write (0: the player does not play, or no line is left).
  int32_t NextLineNow(int64_t nowMs);

  // The line written last (0: none since the lyric was set or the track started over).
  int32_t Written() const { return written_; }
  const PlayerReading& LastReading() const { return last_; }

 private:
  int64_t PositionAt(int64_t nowMs) const;
  int32_t LineAt(int64_t positionMs) const;
  int32_t NextLineAfter(int32_t line) const;
  int32_t Due(int64_t nowMs, bool seekBack);

  std::vector<int32_t> dueMs_;
  PlayerReading last_;
  bool haveReading_ = false;
  int32_t written_ = 0;
  int32_t shiftMs_ = 0;
};
