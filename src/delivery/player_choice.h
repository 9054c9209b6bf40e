// Which of the players the tool can read is followed: a classic player that is playing,
// else the system media session's current session when it plays, else the one that
// played last (the classic player before either has played, so that with no media
// session everything is followed as it always was). Nothing here is Win32.
#pragma once

#include <memory>

#include "delivery/player_source.h"

enum class PlayerKind { Classic, MediaSession };

// The player followed, given one reading of each and the one that played last. When the
// one that played last has gone and the other is there, the other.
PlayerKind ChoosePlayer(const PlayerReading& classic, const PlayerReading& session, PlayerKind playedLast);

// A source over both, which it owns: each reading reads the two and hands on the one
// followed.
class PlayerChoice : public PlayerSource {
 public:
  // session may be null: a system without the media session has only the classic player.
  PlayerChoice(std::unique_ptr<PlayerSource> classic, std::unique_ptr<PlayerSource> session)
      : classic_(std::move(classic)), session_(std::move(session)) {}
  PlayerReading Read(int64_t nowMs) override;
  PlayerKind Followed() const { return followed_; }

 private:
  std::unique_ptr<PlayerSource> classic_;
  std::unique_ptr<PlayerSource> session_;
  PlayerKind playedLast_ = PlayerKind::Classic;
  PlayerKind followed_ = PlayerKind::Classic;
};
