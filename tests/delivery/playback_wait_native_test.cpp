// The waits of an anchored playback run.
#include <gtest/gtest.h>

#include <vector>

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

TEST(PlaybackSchedule, TheLastLineStandsForTheMedianGapWithinThreeToTenSeconds) {
  struct Hold {
    std::vector<int32_t> dueMs;
    int32_t holdMs;
  };
  const Hold holds[] = {
      {{}, 3000},
      {{5000}, 3000},                        // one moment: no gap
      {{0, 4000, 8000, 20000}, 4000},        // gaps 4, 4, 12 s
      {{0, 4000, 4000, 9000, 16000}, 5000},  // a shared stamp is one moment: gaps 4, 5, 7 s
      {{0, 4000, 10000}, 5000},              // even count: the mean of 4 and 6 s
      {{0, 300, 600, 900}, 3000},            // quick lines: at least 3 s
      {{0, 30000, 60000}, 10000},            // slow lines: at most 10 s
      {{-2000, 1000, 4000}, 3000},           // a negative offset shifts, not widens
  };
  for (const Hold& h : holds) EXPECT_EQ(LastLineHoldMs(h.dueMs), h.holdMs) << ::testing::PrintToString(h.dueMs);
}

}  // namespace
