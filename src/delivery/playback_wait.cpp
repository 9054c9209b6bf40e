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

int32_t LastLineHoldMs(const std::vector<int32_t>& dueMs) {
  std::vector<int64_t> gaps;
  for (size_t i = 1; i < dueMs.size(); ++i)
    if (dueMs[i] > dueMs[i - 1]) gaps.push_back(static_cast<int64_t>(dueMs[i]) - dueMs[i - 1]);
  if (gaps.empty()) return kMinLastLineHoldMs;
  const size_t mid = gaps.size() / 2;
  std::nth_element(gaps.begin(), gaps.begin() + mid, gaps.end());
  int64_t median = gaps[mid];
  if (gaps.size() % 2 == 0) {  // the mean of the two middle gaps
    const int64_t lower = *std::max_element(gaps.begin(), gaps.begin() + mid);
    median = (lower + median) / 2;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(median, kMinLastLineHoldMs, kMaxLastLineHoldMs));
}
