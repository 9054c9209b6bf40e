// Looks after a run's target window between the run's own steps: a timed line may be due
// 20 s from now and a ticker's period may be long, and a run whose chat client has closed
// would meanwhile go on "playing" into nothing. Each run that writes into the target
// holds one watch.
#pragma once

#include <cstdint>
#include <functional>

// How often a running feature looks whether its target window is still there.
constexpr unsigned kTargetWatchMs = 250;

class TargetWatch {
 public:
  // From now on, every kTargetWatchMs on the GUI thread's loop, calls look, which ends the
  // run when its window has gone (TargetVanished, text_delivery.h) and answers whether
  // the watch goes on: false once the run has ended, for whatever reason. A Start
  // replaces the watch started before it.
  void Start(std::function<bool()> look);

 private:
  void Arm(uint32_t generation);
  std::function<bool()> look_;
  uint32_t generation_ = 0;
};
