#include "delivery/playback_wait.h"

#include <algorithm>
#include <cstdio>

int32_t AnchoredWaitMs(int64_t anchorTick, int32_t anchorStampMs, int32_t dueStampMs, int64_t nowTick) {
  const int64_t due = anchorTick + (static_cast<int64_t>(dueStampMs) - anchorStampMs);
  return static_cast<int32_t>(std::clamp<int64_t>(due - nowTick, 1, INT32_MAX));
}

int32_t BoundedShiftMs(int32_t earlierMs, int64_t dueTick, int64_t nowTick) {
  const int64_t room = std::max<int64_t>(dueTick - nowTick, 0);
  return static_cast<int32_t>(std::min<int64_t>(earlierMs, room));
}

std::string ShiftCaption(int32_t earlierMs) {
  char text[32];
  std::snprintf(text, sizeof(text), "%+.1f s", earlierMs / 1000.0);
  return text;
}
