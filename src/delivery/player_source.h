// What the tool reads of the music player the singer uses, whichever way it is reached
// (the classic player window messages, the system's media session). A source answers
// one question, what the player does now; it never blocks its caller beyond one bounded
// ask, and it finds a player afresh when the last one has gone. Nothing here is Win32:
// the follower that turns readings into lines is tested natively against scripted ones.
#pragma once

#include <cstdint>
#include <string>

// The track a player plays, as it names it: a title, and an artist where it names one.
struct PlayerTrack {
  std::string artist;  // empty: the player names no artist
  std::string title;   // empty: the player plays nothing it names
  bool operator==(const PlayerTrack& other) const { return artist == other.artist && title == other.title; }
  bool operator!=(const PlayerTrack& other) const { return !(*this == other); }
};

enum class PlayerState {
  Absent,   // no player found: following waits for one
  Stopped,  // a player, stopped or playing nothing yet
  Playing,
  Paused,   // paused, or a player that did not answer in time for this reading
};

// One reading of a player: its state, and where in the track it was when the reading
// was taken, on the tool's own clock (ms), so that a follower can carry it forward.
struct PlayerReading {
  PlayerState state = PlayerState::Absent;
  int64_t positionMs = 0;  // the track's position at takenMs
  int64_t lengthMs = 0;    // the track's length; 0 when the player does not say
  int64_t takenMs = 0;     // the tool's clock when the position was true
  PlayerTrack track;
};

class PlayerSource {
 public:
  virtual ~PlayerSource() = default;
  // What the player does now; nowMs is the tool's clock, on which the reading's takenMs
  // is given. Absent when there is no player.
  virtual PlayerReading Read(int64_t nowMs) = 0;
};
