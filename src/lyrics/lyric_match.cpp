#include "lyrics/lyric_match.h"

namespace {

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000 in UTF-8

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The name without its ".lrc" (any case); empty when it has none.
std::string_view LrcStem(std::string_view name) {
  if (name.size() <= 4) return {};
  std::string_view ext = name.substr(name.size() - 4);
  if (ext[0] != '.' || (ext[1] | 0x20) != 'l' || (ext[2] | 0x20) != 'r' || (ext[3] | 0x20) != 'c') return {};
  return name.substr(0, name.size() - 4);
}

}  // namespace

std::string LyricMatchKey(std::string_view text) {
  // Blanks in one form first: full-width spaces are blanks, runs are one blank.
  std::string spaced;
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, kFullWidthSpace.size()) == kFullWidthSpace) {
      spaced += ' ';
      i += kFullWidthSpace.size();
      continue;
    }
    const char c = text[i++];
    spaced += IsBlank(c) ? ' ' : (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::string key;
  for (size_t i = 0; i < spaced.size(); ++i) {
    if (spaced[i] != ' ') {
      key += spaced[i];
      continue;
    }
    // A blank counts only between two non-blanks, neither of them a "-".
    const bool afterPart = !key.empty() && key.back() != '-' && key.back() != ' ';
    size_t j = i;
    while (j < spaced.size() && spaced[j] == ' ') ++j;
    const bool beforePart = j < spaced.size() && spaced[j] != '-';
    if (afterPart && beforePart) key += ' ';
    i = j - 1;
  }
  return key;
}

int FindLyricForTrack(const std::vector<std::string>& fileNames, std::string_view artist, std::string_view title,
                      const std::function<LyricTags(const std::string& fileName)>& readTags) {
  const std::string titleKey = LyricMatchKey(title);
  if (titleKey.empty()) return -1;
  const std::string artistKey = LyricMatchKey(artist);
  std::vector<std::string> wanted;
  if (!artistKey.empty()) {
    wanted.push_back(artistKey + "-" + titleKey);
    wanted.push_back(titleKey + "-" + artistKey);
  }
  wanted.push_back(titleKey);
  std::vector<std::string> stems;
  for (const std::string& name : fileNames) stems.push_back(LyricMatchKey(LrcStem(name)));
  for (const std::string& want : wanted) {
    for (size_t i = 0; i < stems.size(); ++i)
      if (stems[i] == want) return static_cast<int>(i);
  }
  for (size_t i = 0; i < fileNames.size(); ++i) {
    if (LrcStem(fileNames[i]).empty()) continue;
    const LyricTags tags = readTags(fileNames[i]);
    if (LyricMatchKey(tags.title) != titleKey) continue;
    const std::string taggedArtist = LyricMatchKey(tags.artist);
    if (taggedArtist.empty() || artistKey.empty() || taggedArtist == artistKey) return static_cast<int>(i);
  }
  return -1;
}
