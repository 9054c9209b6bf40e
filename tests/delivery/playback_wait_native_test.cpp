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

}  // namespace
