// The system's media session as a player the tool can read (Windows 10 1809 and later):
// whatever shows in the system's media flyout. Every runtime call runs on a worker of
// the source's own, in the multi-threaded apartment; a reading on the GUI thread only
// copies the worker's latest snapshot under a lock and carries its position forward, so
// a session that answers late never holds the tool up. Where combase.dll, its functions
// or the class are missing (Windows 7 and 8, Wine), the source is simply absent.
#pragma once

#include <memory>

#include "delivery/player_source.h"
#include "win/owners.h"

class MediaSessionSource : public PlayerSource {
 public:
  MediaSessionSource() = default;
  ~MediaSessionSource() override;  // ends the worker (waiting a bounded while)
  MediaSessionSource(const MediaSessionSource&) = delete;
  MediaSessionSource& operator=(const MediaSessionSource&) = delete;

  // The first reading starts the worker, and so does a reading after the worker ended
  // for lack of readers; until its first look the player reads as absent.
  PlayerReading Read(int64_t nowMs) override;

  // Whether the worker runs now; false for good once the system lacks the session.
  bool Working() const;
  bool Unavailable() const;

  struct Shared;  // what the worker and the readings share

 private:
  std::shared_ptr<Shared> shared_;
  UniqueHandle worker_;
};
