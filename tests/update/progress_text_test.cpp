#include "update/progress_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(ProgressRounding, HalfGoesAwayFromZero) {
  struct Case {
    double x;
    int decimals;
    double expected;
  };
  const Case cases[] = {
      {2.5, 0, 3},      {-2.5, 0, -3},    {2.4999, 0, 2},   {1.005, 2, 1.01},  {1.004, 2, 1.0},
      {49.5, 0, 50},    {49.4, 0, 49},    {0.125, 2, 0.13}, {-0.125, 2, -0.13}, {1.5, 0, 2},
      {10.24, 2, 10.24}, {1023.999, 2, 1024}, {0, 2, 0},     {7, 0, 7},         {-0.4, 0, -0.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundHalfAway(c.x, c.decimals), c.expected) << c.x << " " << c.decimals;
  EXPECT_TRUE(std::isnan(RoundHalfAway(NAN, 2)));
}

TEST(ProgressNumberText, ThirteenSignificantDigits) {
  EXPECT_EQ(NumberText(50), "50");
  EXPECT_EQ(NumberText(1.5), "1.5");
  EXPECT_EQ(NumberText(58.99999999999801), "59");
  EXPECT_EQ(NumberText(59.0 / 60), "0.9833333333333");
}

TEST(ProgressByteSize, UnitsAndTwoDecimals) {
  const std::pair<int64_t, std::string> cases[] = {
      {-5, "-5"},           {0, "0"},
      {1, "1B"},            {512, "512B"},
      {1023, "1023B"},      {1024, "1KB"},
      {1536, "1.5KB"},      {10485, "10.24KB"},
      {1048575, "1024KB"},  {1048576, "1MB"},
      {1049000, "1MB"},     {5242880, "5MB"},
      {10485760, "10MB"},   {1073741823, "1024MB"},
      {1073741824, "1GB"},  {1610612736, "1.5GB"},
      {int64_t{3} << 40, "3072GB"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(FormatByteSize(n), text) << n;
}

TEST(ProgressRemainingTime, WorkedValues) {
  struct Case {
    double remaining;
    int32_t perSecond;
    const char *h, *m, *s;
  };
  const Case cases[] = {
      {59, 1, "0", "0", "59"},        {60, 1, "0", "1", "0"},       {3599, 1, "0", "59", "59"},
      {3600, 1, "1", "0", "0"},       {3725, 1, "1", "2", "5"},     {86399, 1, "23", "59", "59"},
      {300, 100, "0", "0", "3"},      {0, 100, "0", "0", "0"},      {-500, 100, "0", "0", "0"},
      {299, 100, "0", "0", "2"},      {5242880, 1536, "0", "56", "53"},
      // Within 1e-12 below a whole second counts as that second; further below does not.
      {std::nextafter(3.0, 0.0), 1, "0", "0", "3"},  {2.9999, 1, "0", "0", "2"},
  };
  for (const Case& c : cases) {
    const auto t = FormatRemainingTime(c.remaining, c.perSecond);
    ASSERT_TRUE(t.has_value()) << c.remaining;
    EXPECT_EQ(t->hours, c.h) << c.remaining << "/" << c.perSecond;
    EXPECT_EQ(t->minutes, c.m) << c.remaining << "/" << c.perSecond;
    EXPECT_EQ(t->seconds, c.s) << c.remaining << "/" << c.perSecond;
  }
  EXPECT_FALSE(FormatRemainingTime(100, 0).has_value());
  EXPECT_FALSE(FormatRemainingTime(100, -1).has_value());
}

TEST(ProgressElapsedClock, MinutesAndSecondsCountToSixty) {
  struct Case {
    int ticks, h, m, s;
  };
  const Case cases[] = {{1, 0, 0, 1},     {59, 0, 0, 59},   {60, 0, 0, 60},   {61, 0, 1, 1},
                        {3600, 0, 59, 60}, {3601, 0, 60, 1}, {3661, 1, 1, 1}, {7261, 2, 1, 1}};
  for (const Case& c : cases) {
    ElapsedClock clock;
    for (int i = 0; i < c.ticks; ++i) clock.Advance();
    EXPECT_EQ(clock.hours, c.h) << c.ticks;
    EXPECT_EQ(clock.minutes, c.m) << c.ticks;
    EXPECT_EQ(clock.seconds, c.s) << c.ticks;
    EXPECT_EQ(progress_label::Elapsed(clock), "已用时间：" + std::to_string(c.h) + "小时" + std::to_string(c.m) +
                                                  "分钟" + std::to_string(c.s) + "秒");
  }
}

TEST(ProgressLabels, TextsOfOneTick) {
  namespace L = progress_label;
  EXPECT_EQ(L::Percent(*L::RoundedPercent(5242880, 10485760)), "正在下载...已完成：50%");
  EXPECT_EQ(*L::RoundedPercent(495, 1000), 50);
  EXPECT_EQ(*L::RoundedPercent(494, 1000), 49);
  EXPECT_FALSE(L::RoundedPercent(100, 0).has_value());
  EXPECT_EQ(L::Speed(1536), "下载速度：1.5KB/秒");
  EXPECT_EQ(L::Speed(0), "下载速度：0/秒");
  EXPECT_EQ(L::Done(5242880, 10485760.75), "已经下载：5MB/10MB");
  EXPECT_EQ(L::Done(300, 0), "已经下载：300B/0");
  EXPECT_EQ(*L::Remaining(10485760, 5242880, 1536), "剩余时间：0时56分53秒");
  EXPECT_EQ(*L::Remaining(1000, 700, 100), "剩余时间：0时0分3秒");
  EXPECT_FALSE(L::Remaining(0, 0, 100).has_value());
  EXPECT_FALSE(L::Remaining(1000, 10, 0).has_value());
}

}  // namespace
