// The music player reached through the classic player window messages, which many
// players answer (some through a plug-in): the first visible window of class
// "Winamp v1.x". The track is read from its title without sending it anything; its state
// and position are asked with SendMessageTimeoutW, at most kPlayerAskMs each, and only
// while the player answers: a player that does not answer in time counts as paused at
// the position it gave last, and the position is not asked then.
#pragma once

#include <windows.h>

#include "delivery/player_source.h"

// The longest the tool waits for one answer of the player.
constexpr UINT kPlayerAskMs = 100;

class ClassicPlayerSource : public PlayerSource {
 public:
  PlayerReading Read(int64_t nowMs) override;

 private:
  HWND window_ = nullptr;
  PlayerReading last_;  // what the player said last: what a silent player is taken to say
};
