// The waits of an anchored playback run.
#include <gtest/gtest.h>

#include "delivery/playback_wait.h"

namespace {

TEST(PlaybackSchedule, WaitsAreMeasuredFromTheAnchorAndNeverNegative) {
  // Anchored at tick 1000 on stamp 0: the line at 5000 is due at tick 6000.
  EXPECT_EQ(AnchoredWaitMs(1000, 0, 5000, 1000), 5000);
  EXPECT_EQ(AnchoredWaitMs(1000, 0, 5000, 1037), 4963);  // time spent writing is taken off
  EXPECT_EQ(AnchoredWaitMs(1000, 0, 5000, 6000), 1);     // due now: next tick at once
  EXPECT_EQ(AnchoredWaitMs(1000, 0, 5000, 9000), 1);     // overdue
  EXPECT_EQ(AnchoredWaitMs(1000, 16000, 24000, 1000), 8000);  // resumed or jumped at 16 s
}

TEST(PlaybackSchedule, NudgesNeverMakeALineDueBeforeNow) {
  const struct {
    int32_t earlierMs;
    int64_t dueTick, nowTick;
    int32_t moved;
  } kCases[] = {
      {500, 3000, 1000, 500},           // room enough
      {500, 1300, 1000, 300},           // only as far as now
      {500, 900, 1000, 0},              // overdue: not moved
      {-500, 900, 1000, -500},          // later is not bounded
      {INT32_MAX, 2345, 1000, 1345},    // the next line now
  };
  for (const auto& c : kCases)
    EXPECT_EQ(BoundedShiftMs(c.earlierMs, c.dueTick, c.nowTick), c.moved) << c.earlierMs << " due " << c.dueTick;
  EXPECT_EQ(ShiftCaption(1000), "+1.0 s");
  EXPECT_EQ(ShiftCaption(-500), "-0.5 s");
  EXPECT_EQ(ShiftCaption(1260), "+1.3 s");
}

}  // namespace
