#include "delivery/media_timeline.h"

#include <algorithm>

namespace {
constexpr int64_t kUnitsPerMs = 10000;  // TimeSpan and DateTime count 100 ns
}

int64_t CarriedPositionMs(const MediaTimeline& timeline, bool playing, int64_t nowFileTime) {
  int64_t position = timeline.position;
  // A timeline never updated has no moment to carry from: its position is all there is.
  if (playing && timeline.lastUpdatedTime > 0) position += std::max<int64_t>(0, nowFileTime - timeline.lastUpdatedTime);
  if (timeline.endTime > 0) position = std::min(position, timeline.endTime);
  return std::max<int64_t>(0, position) / kUnitsPerMs;
}

int64_t TimelineLengthMs(const MediaTimeline& timeline) { return std::max<int64_t>(0, timeline.endTime) / kUnitsPerMs; }
