#include "delivery/target_watch.h"

#include <utility>

#include "win/gui_courier.h"

void TargetWatch::Start(std::function<bool()> look) {
  look_ = std::move(look);
  Arm(++generation_);
}

// The features live as long as the program: the job may hold this. A job of a replaced
// watch finds another generation and ends.
void TargetWatch::Arm(uint32_t generation) {
  RunOnGuiThreadAfter(kTargetWatchMs, [this, generation] {
    if (generation != generation_ || !look_()) return;
    Arm(generation);
  });
}
