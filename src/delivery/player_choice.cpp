#include "delivery/player_choice.h"

PlayerKind ChoosePlayer(const PlayerReading& classic, const PlayerReading& session, PlayerKind playedLast) {
  if (classic.state == PlayerState::Playing) return PlayerKind::Classic;
  if (session.state == PlayerState::Playing) return PlayerKind::MediaSession;
  const PlayerReading& last = playedLast == PlayerKind::Classic ? classic : session;
  const PlayerReading& other = playedLast == PlayerKind::Classic ? session : classic;
  if (last.state == PlayerState::Absent && other.state != PlayerState::Absent)
    return playedLast == PlayerKind::Classic ? PlayerKind::MediaSession : PlayerKind::Classic;
  return playedLast;
}

PlayerReading PlayerChoice::Read(int64_t nowMs) {
  PlayerReading classic = classic_->Read(nowMs);
  PlayerReading session = session_ ? session_->Read(nowMs) : PlayerReading{};
  followed_ = ChoosePlayer(classic, session, playedLast_);
  PlayerReading& chosen = followed_ == PlayerKind::Classic ? classic : session;
  if (chosen.state == PlayerState::Playing) playedLast_ = followed_;
  return chosen;
}
