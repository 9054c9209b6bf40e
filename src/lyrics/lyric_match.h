// Which lyric file of a folder belongs to the track a music player plays. By name first,
// in this order: "<artist> - <title>.lrc", "<title> - <artist>.lrc", "<title>.lrc"; then
// by the files' own tags: a file whose [ti:] is the title (and whose [ar:] is the
// artist, where the file and the track both name one). Names and tags compare without
// ASCII case, with full-width spaces taken as blanks, runs of blanks as one and the
// blanks around the parts (and around a "-") ignored.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The [ti:] and [ar:] tags of a lyric file (empty: the file has none).
struct LyricTags {
  std::string title;
  std::string artist;
};

// The form in which names and tags compare.
std::string LyricMatchKey(std::string_view text);

// The index in fileNames of the lyric for the track (artist may be empty); -1 when none
// fits. readTags reads a file's tags by its name; it is called only when no name fits,
// once per .lrc file, in list order.
int FindLyricForTrack(const std::vector<std::string>& fileNames, std::string_view artist, std::string_view title,
                      const std::function<LyricTags(const std::string& fileName)>& readTags);
