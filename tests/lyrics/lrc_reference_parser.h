// The LRC parse done the plain way: regular expressions and text helpers step by step,
// a line search per tag and a vector insertion per entry. Quadratic, so only for tests
// and benchmarks, where it is the yardstick the production parser is compared against.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/lyric_timeline.h"

namespace reference {

std::vector<std::string> findTimeTags(std::string_view text);
std::vector<std::string> splitLyricLines(std::string_view text);
void readHeaderTags(std::string_view text, LyricTimeline& timeline);
std::string lineTextForTag(const std::vector<std::string>& lines, std::string_view tag);
int32_t tagToMs(std::string_view tag);

struct LyricPair {
  int32_t timeMs = 0;
  std::string text;
};
void orderTimeline(const std::vector<LyricPair>& pairs, LyricTimeline& timeline);

bool parseLrc(std::string_view text, LyricTimeline& timeline);

}  // namespace reference
