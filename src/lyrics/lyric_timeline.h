// The parsed lyric: one entry per time tag, ascending in time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LyricTimeline {
  int32_t count = 0;     // number of time tags found, and so of entries
  std::string title;     // [ti:...]
  std::string artist;    // [ar:...]
  std::string album;     // [al:...]
  std::string maker;     // [by:...]
  int32_t offsetMs = 0;  // [offset:...]: positive when the lines are to come that much earlier
  // Entry i (0-based here; the lyric table shows it as line i + 1).
  std::vector<int32_t> timesMs;
  // The text of entry i is lineTexts[textOf[i]]. Every tag of a line shares that line's
  // text, so a line carrying thousands of tags is held once, not once per tag.
  std::vector<uint32_t> textOf;
  std::vector<std::string> lineTexts;

  const std::string& Text(size_t i) const { return lineTexts[textOf[i]]; }

  // When entry i is due in playback: its time stamp moved earlier by the offset (later
  // for a negative one), never before the song's start.
  int32_t DueMs(size_t i) const {
    const int64_t due = static_cast<int64_t>(timesMs[i]) - offsetMs;
    return static_cast<int32_t>(due < 0 ? 0 : due > INT32_MAX ? INT32_MAX : due);
  }
};
