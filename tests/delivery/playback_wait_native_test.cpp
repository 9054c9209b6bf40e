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

TEST(PlaybackSchedule, ShiftsStopAtNowAndReadInTenths) {
  struct Shift {
    int32_t earlierMs;
    int64_t dueTick, nowTick;
    int32_t shift;
  };
  const Shift shifts[] = {
      {500, 5000, 1000, 500},
      {500, 1300, 1000, 300},    // no further than now
      {500, 1000, 1200, 0},      // an overdue line is not moved earlier
      {-500, 1000, 1200, -500},  // later is never bounded
  };
  for (const Shift& s : shifts)
    EXPECT_EQ(BoundedShiftMs(s.earlierMs, s.dueTick, s.nowTick), s.shift) << s.earlierMs << " due " << s.dueTick;

  struct Caption {
    int32_t earlierMs;
    const char* text;
  };
  const Caption captions[] = {{500, "+0.5 s"}, {-1500, "-1.5 s"}, {0, "+0.0 s"}, {-100000, "-100.0 s"}};
  for (const Caption& c : captions) EXPECT_EQ(ShiftCaption(c.earlierMs), c.text) << c.earlierMs;
}

}  // namespace
