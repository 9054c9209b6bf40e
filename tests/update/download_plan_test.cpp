// The downloader's plan: the size headers, the slices of a file, the numbered names.
#include "update/download_plan.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace download_plan;

TEST(DownloadPlan, ByteCountsAndContentRanges) {
  struct Count {
    const char* text;
    std::optional<int64_t> value;
  };
  const Count counts[] = {
      {"0", 0},
      {"2048", 2048},
      {"9223372036854775799", 9223372036854775799},
      {"9223372036854775807", INT64_MAX},
      {"9223372036854775808", std::nullopt},
      {"99999999999999999999", std::nullopt},  // beyond 64 bits
      {"", std::nullopt},
      {"+5", std::nullopt},
      {"-1", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"12a", std::nullopt},
  };
  for (const Count& c : counts) EXPECT_EQ(ParseByteCount(c.text), c.value) << c.text;

  // (announced, told, fits): -1 is "none" on either side.
  const int64_t sizes[][3] = {{5, -1, true}, {-1, 5, true}, {5, 5, true}, {4, 5, false}};
  for (const auto& s : sizes) EXPECT_EQ(AnnouncedSizeFits(s[0], s[1]), s[2] != 0) << s[0] << " told " << s[1];

  struct Range {
    const char* text;
    bool valid;
    int64_t first, total;
  };
  const Range ranges[] = {
      {"bytes 0-1023/2048", true, 0, 2048},
      {"BYTES 100-199/200", true, 100, 200},
      {"Bytes 5-9/*", true, 5, -1},
      {"bytes 7-/10", true, 7, 10},        // the last byte is not read
      {"bytes 0-0/0", true, 0, 0},
      {"bytes -5/10", false, 0, 0},        // no first byte
      {"bytes 0-9", false, 0, 0},          // no total
      {"bytes 0/9-10", false, 0, 0},       // slash before the dash
      {"bytes 0-9/x", false, 0, 0},
      {"bytes 0-9/", false, 0, 0},
      {"bits 0-9/10", false, 0, 0},
      {"bytes0-9/10", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Range& r : ranges) {
    const auto parsed = ParseContentRange(r.text);
    ASSERT_EQ(parsed.has_value(), r.valid) << r.text;
    if (!parsed) continue;
    EXPECT_EQ(parsed->first, r.first) << r.text;
    EXPECT_EQ(parsed->total, r.total) << r.text;
  }
}

TEST(DownloadPlan, SlicesCoverTheFileOncePerConnection) {
  struct Case {
    const char* what;
    int64_t total;
    bool ranges;
    int connections;
    std::vector<ByteRange> slices;
  };
  const int64_t k = kMinSliceBytes;
  const Case cases[] = {
      {"five equal", 5 * k, true, 5, {{0, k}, {k, 2 * k}, {2 * k, 3 * k}, {3 * k, 4 * k}, {4 * k, 5 * k}}},
      {"last takes the rest", 3 * k + 7, true, 3, {{0, k + 2}, {k + 2, 2 * k + 4}, {2 * k + 4, 3 * k + 7}}},
      {"no slice under the minimum", 2 * k + 1, true, 5, {{0, k}, {k, 2 * k + 1}}},
      {"small file", 10000, true, 5, {{0, 10000}}},
      {"ranges refused", 100 * k, false, 5, {{0, 100 * k}}},
      {"size unknown", -1, true, 5, {{0, kUnknownEnd}}},
      {"empty file", 0, true, 5, {{0, 0}}},
      {"no connection asked", 10 * k, true, 0, {{0, 10 * k}}},
  };
  for (const Case& c : cases) {
    const std::vector<ByteRange> slices = SliceFile(c.total, c.ranges, c.connections);
    ASSERT_EQ(slices.size(), c.slices.size()) << c.what;
    for (size_t i = 0; i < slices.size(); ++i) {
      EXPECT_EQ(slices[i].begin, c.slices[i].begin) << c.what << " slice " << i;
      EXPECT_EQ(slices[i].end, c.slices[i].end) << c.what << " slice " << i;
    }
  }
  // More connections than allowed are cut to the most, and the slices still meet.
  const std::vector<ByteRange> many = SliceFile(1000 * k + 3, true, 40);
  ASSERT_EQ(many.size(), static_cast<size_t>(kMaxConnections));
  EXPECT_EQ(many.front().begin, 0);
  for (size_t i = 1; i < many.size(); ++i) EXPECT_EQ(many[i].begin, many[i - 1].end);
  EXPECT_EQ(many.back().end, 1000 * k + 3);

  EXPECT_EQ(RangeHeader(0, 1024), "bytes=0-1023");
  EXPECT_EQ(RangeHeader(100000, 3145728), "bytes=100000-3145727");
}

TEST(DownloadPlan, NumberedNamesAndFolders) {
  struct Case {
    const char* path;
    const char* numbered;  // k = 2
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\dir\\name.exe", "C:\\dir\\name(2).exe", "C:\\dir\\"},
      {"C:\\dir\\name", "C:\\dir\\name(2)", "C:\\dir\\"},
      {"C:\\dir\\.profile", "C:\\dir\\.profile(2)", "C:\\dir\\"},      // only a leading dot
      {"C:\\my.dir\\name", "C:\\my.dir\\name(2)", "C:\\my.dir\\"},     // the dot is the folder's
      {"C:\\dir\\a.b.exe", "C:\\dir\\a.b(2).exe", "C:\\dir\\"},
      {"name.exe", "name(2).exe", "."},
      {"C:\\name.exe", "C:\\name(2).exe", "C:\\"},  // a folder that is just the root
      {"C:\\歌词\\月亮.lrc", "C:\\歌词\\月亮(2).lrc", "C:\\歌词\\"},
      {"歌＼词．lrc", "歌＼词．lrc(2)", "."},  // full-width ＼ and ． are neither separator nor dot
      {"\xE4\xB8\\a.exe", "\xE4\xB8\\a(2).exe", "\xE4\xB8\\"},  // a cut-off character hides no separator
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumberedName(c.path, 2), c.numbered) << c.path;
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
  }

  const std::set<std::string> taken = {"C:\\d\\new(1).exe", "C:\\d\\new(2).exe"};
  const auto isTaken = [&](const std::string& p) { return taken.count(p) > 0; };
  EXPECT_EQ(FreeName("C:\\d\\new.exe", isTaken), "C:\\d\\new(3).exe");
  EXPECT_EQ(FreeName("new.exe", [](const std::string&) { return false; }), "new(1).exe");
  EXPECT_EQ(FreeName("C:\\d\\new.exe", [](const std::string&) { return true; }), std::nullopt);
  // The numbers stop at 9999.
  EXPECT_EQ(FreeName("new.exe", [](const std::string& p) { return p != "new(9999).exe"; }), "new(9999).exe");
  EXPECT_EQ(FreeName("new.exe", [](const std::string& p) { return p != "new(10000).exe"; }), std::nullopt);
}

TEST(DownloadPlan, StallLimitIsTheSumOfTheTimeouts) {
  EXPECT_EQ(StallLimitMs(5000, 5000, 10000), 20000u);
  EXPECT_EQ(StallLimitMs(-1, 0, 250), 250u);  // a negative time-out counts as none
  EXPECT_EQ(StallLimitMs(0, 0, 0), 0u);
  EXPECT_EQ(StallLimitMs(INT32_MAX, INT32_MAX, INT32_MAX), UINT32_MAX - 1);
}

TEST(DownloadPlan, SpeedFloorOverWindows) {
  // Windows of 10 s at 1024 B/s: 10240 bytes each. Each step: (time, bytes so far, below?,
  // ms until the window then current ends).
  struct Step {
    uint32_t ms;
    int64_t done;
    bool below;
    uint32_t until;
  };
  struct Case {
    const char* what;
    uint32_t startMs;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"a window not yet over", 0, {{9999, 0, false, 1}}},
      {"just enough", 0, {{10000, 10240, false, 10000}, {20000, 20480, false, 10000}}},
      {"one byte short", 0, {{10000, 10239, true, 0}}},
      {"a fast window, then a trickle", 0,
       {{10000, 500000, false, 10000}, {19999, 500001, false, 1}, {20000, 500001, true, 0}}},
      {"late checks measure the whole time", 0, {{25000, 20000, false, 10000}, {35000, 30239, true, 0}}},
      {"the tick count wraps", UINT32_MAX - 5000, {{4999, 10240, false, 10000}, {14999, 10241, true, 0}}},
  };
  for (const Case& c : cases) {
    SpeedFloor floor(10000, 1024, c.startMs);
    for (const Step& s : c.steps) {
      EXPECT_EQ(floor.Below(s.ms, s.done), s.below) << c.what << " at " << s.ms;
      EXPECT_EQ(floor.MsUntilWindowEnds(s.ms), s.until) << c.what << " at " << s.ms;
    }
  }
  SpeedFloor none(0, 1024, 0);
  EXPECT_FALSE(none.Below(1000000, 0));
  EXPECT_EQ(none.MsUntilWindowEnds(1000000), UINT32_MAX);
}

}  // namespace

// A minute for setting up and the size at 16 KiB/s, never more than five minutes.
TEST(DownloadPlan, DeadlineGrowsWithTheSizeUpToFiveMinutes) {
  const struct {
    int64_t size;
    uint32_t ms;
  } rows[] = {{0, 60000},       {16384, 61000},     {1 << 20, 124000},  {1000000, 121035}, {3915776, 299000},
              {3932160, 300000}, {4 << 20, 300000}, {INT64_MAX, 300000}, {-1, 300000}};
  for (const auto& row : rows) EXPECT_EQ(download_plan::DownloadDeadlineMs(row.size), row.ms) << row.size;
}
