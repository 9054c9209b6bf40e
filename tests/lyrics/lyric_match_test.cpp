// The lyric of the track a music player plays, found among a folder's files.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lyrics/lyric_match.h"

namespace {

TEST(LyricMatch, FindsTheTracksLyricByNameThenByTags) {
  const std::map<std::string, LyricTags> tags = {
      {"odd name.lrc", {"Green Sleeves", "Folk Band"}},
      {"other.lrc", {"Green Sleeves", "Another Band"}},
      {"untagged.lrc", {"", ""}},
      {"title only.LRC", {"Scarborough Fair", ""}},
  };
  struct Row {
    std::vector<std::string> files;
    const char* artist;
    const char* title;
    int found;
  };
  const Row rows[] = {
      {{"Green Sleeves.lrc", "Folk Band - Green Sleeves.lrc"}, "Folk Band", "Green Sleeves", 1},  // before the decoy
      {{"Green Sleeves.lrc", "green sleeves - FOLK BAND.lrc"}, "Folk Band", "Green Sleeves", 1},
      {{"Green Sleeves.lrc", "x.lrc"}, "Folk Band", "Green Sleeves", 0},
      {{"Folk Band-Green Sleeves.lrc"}, "Folk Band", "Green Sleeves", 0},             // blanks around parts
      {{"Folk Band　-　Green　Sleeves .lrc"}, "Folk Band", "Green Sleeves", 0},       // full-width spaces
      {{"  Folk   Band - Green Sleeves.lrc"}, "Folk Band", "Green Sleeves", 0},
      {{"茉莉花.lrc"}, "", "茉莉花", 0},
      {{"Folk Band - Green Sleeves.txt"}, "Folk Band", "Green Sleeves", -1},          // no lyric
      {{"Green Sleeves 2.lrc"}, "Folk Band", "Green Sleeves", -1},
      {{"other.lrc", "odd name.lrc"}, "Folk Band", "Green Sleeves", 1},                 // tags: the artist too
      {{"other.lrc", "untagged.lrc"}, "", "Green Sleeves", 0},                          // the track names none
      {{"title only.LRC"}, "Someone", "scarborough fair", 0},                           // the file names none
      {{"untagged.lrc"}, "Folk Band", "Green Sleeves", -1},
      {{"Green Sleeves.lrc"}, "Folk Band", "", -1},                                     // no title: nothing
  };
  for (const Row& row : rows) {
    const int found = FindLyricForTrack(row.files, row.artist, row.title, [&](const std::string& name) {
      const auto it = tags.find(name);
      return it == tags.end() ? LyricTags() : it->second;
    });
    EXPECT_EQ(found, row.found) << row.artist << " / " << row.title << " among " << row.files.front();
  }
}

}  // namespace
