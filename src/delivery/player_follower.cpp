#include "delivery/player_follower.h"

#include <algorithm>
#include <utility>

void PlayerFollower::SetLines(std::vector<int32_t> dueMs) {
  dueMs_ = std::move(dueMs);
  written_ = 0;
}

// The player's position at nowMs on the last reading, with the shift: where the lyric is.
int64_t PlayerFollower::PositionAt(int64_t nowMs) const {
  const int64_t carried = last_.state == PlayerState::Playing ? std::max<int64_t>(nowMs - last_.takenMs, 0) : 0;
  return last_.positionMs + carried + shiftMs_;
}

// The first line of the moment that is shown at positionMs; 0 before the first line.
int32_t PlayerFollower::LineAt(int64_t positionMs) const {
  const auto after = std::upper_bound(dueMs_.begin(), dueMs_.end(), positionMs);
  if (after == dueMs_.begin()) return 0;
  const int32_t due = *(after - 1);
  return static_cast<int32_t>(std::lower_bound(dueMs_.begin(), dueMs_.end(), due) - dueMs_.begin()) + 1;
}

// The first line of the moment after line's (line 0: the first line); 0 when none.
int32_t PlayerFollower::NextLineAfter(int32_t line) const {
  if (line == 0) return dueMs_.empty() ? 0 : 1;
  const auto next = std::upper_bound(dueMs_.begin(), dueMs_.end(), dueMs_[static_cast<size_t>(line) - 1]);
  return next == dueMs_.end() ? 0 : static_cast<int32_t>(next - dueMs_.begin()) + 1;
}

int32_t PlayerFollower::Due(int64_t nowMs, bool seekBack) {
  if (last_.state != PlayerState::Playing) return 0;
  const int32_t line = LineAt(PositionAt(nowMs));
  if (line > written_ || (seekBack && line != written_)) {
    written_ = line;  // a seek back to before the first line writes nothing, and forgets
    return line;
  }
  return 0;
}

int32_t PlayerFollower::Take(const PlayerReading& reading) {
  bool seekBack = false;
  if (reading.state == PlayerState::Playing || reading.state == PlayerState::Paused) {
    const bool followed = haveReading_ && (last_.state == PlayerState::Playing || last_.state == PlayerState::Paused);
    if (followed) seekBack = reading.positionMs + shiftMs_ <= PositionAt(reading.takenMs) - kSeekBackMs;
  } else {
    written_ = 0;  // stopped or gone: the track starts over when it plays again
  }
  last_ = reading;
  haveReading_ = true;
  if (seekBack && reading.state == PlayerState::Paused) {
    // Seen while paused: the line at the new position is written when it plays.
    const int32_t line = LineAt(PositionAt(reading.takenMs));
    if (line < written_) written_ = line == 0 ? 0 : line - 1;
    return 0;
  }
  return Due(reading.takenMs, seekBack);
}

int32_t PlayerFollower::At(int64_t nowMs) { return haveReading_ ? Due(nowMs, false) : 0; }

int64_t PlayerFollower::NextDueMs() const {
  if (!haveReading_ || last_.state != PlayerState::Playing) return INT64_MAX;
  const int64_t position = PositionAt(last_.takenMs);
  const int32_t next = NextLineAfter(std::max(written_, LineAt(position)));
  if (next == 0) return INT64_MAX;
  return last_.takenMs + (dueMs_[static_cast<size_t>(next) - 1] - position);
}

int32_t PlayerFollower::NextLineNow(int64_t nowMs) {
  if (!haveReading_ || last_.state != PlayerState::Playing) return 0;
  const int64_t position = PositionAt(nowMs);
  const int32_t next = NextLineAfter(std::max(written_, LineAt(position)));
  if (next == 0) return 0;
  shiftMs_ += static_cast<int32_t>(dueMs_[static_cast<size_t>(next) - 1] - position);
  return Due(nowMs, false);
}
