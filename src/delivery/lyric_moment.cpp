#include "delivery/lyric_moment.h"

#include <algorithm>
#include <vector>

int32_t LastOfMoment(const LyricTimeline& timeline, int32_t line) {
  while (line < timeline.count && timeline.DueMs(static_cast<size_t>(line)) == timeline.DueMs(static_cast<size_t>(line) - 1))
    ++line;
  return line;
}

int32_t FirstOfMoment(const LyricTimeline& timeline, int32_t line) {
  while (line > 1 && timeline.DueMs(static_cast<size_t>(line) - 2) == timeline.DueMs(static_cast<size_t>(line) - 1))
    --line;
  return line;
}

// The text pool holds the lines in file order, so sorting the moment's text indexes
// gives the file's order.
std::string TextOfMoment(const LyricTimeline& timeline, int32_t first, int32_t last) {
  std::vector<uint32_t> texts;
  for (int32_t line = first; line <= last; ++line) texts.push_back(timeline.textOf[static_cast<size_t>(line) - 1]);
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  std::string joined;
  for (const uint32_t t : texts) joined += (joined.empty() ? "" : " / ") + timeline.lineTexts[t];
  return joined;
}
