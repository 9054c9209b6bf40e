// The parsed lyric: one entry per time tag, ascending in time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LyricTimeline {
  int32_t count = 0;    // number of time tags found, and so of entries
  std::string title;    // [ti:...]
  std::string artist;   // [ar:...]
  std::string album;    // [al:...]
  std::string maker;    // [by:...]
  int32_t offsetMs = 0;  // [offset:...]; stored only, never applied
  // Entry i (0-based here; the lyric table shows it as line i + 1).
  std::vector<int32_t> timesMs;
  std::vector<std::string> texts;
};
