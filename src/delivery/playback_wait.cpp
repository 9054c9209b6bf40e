#include "delivery/playback_wait.h"

#include <algorithm>

int32_t AnchoredWaitMs(int64_t anchorTick, int32_t anchorStampMs, int32_t dueStampMs, int64_t nowTick) {
  const int64_t due = anchorTick + (static_cast<int64_t>(dueStampMs) - anchorStampMs);
  return static_cast<int32_t>(std::clamp<int64_t>(due - nowTick, 1, INT32_MAX));
}
