#include "search/lyric_search.h"

#include <algorithm>

#include "text/file_name.h"
#include "text/utf8_text.h"
#include "text/http_url.h"
#include "text/regex.h"

namespace {

// Where a result sits: between the font tag and the download caption.
constexpr const char kResultPattern[] = "<font size=\"-1\">(.*?)LRC歌词下载</a>";
constexpr const char kLinkEnd[] = "</font>";

bool IsUnescaped(unsigned char b) {
  return b == '*' || (b >= ',' && b <= '9') || (b >= '@' && b <= 'Z') || b == '_' || (b >= 'a' && b <= 'z');
}

LyricHit ReadHit(const std::string& item) {
  LyricHit hit;
  const int32_t lastClose = utf8::FindBackwards(item, ">");
  const std::string name = lastClose < 0 ? item : item.substr(static_cast<size_t>(lastClose));
  const std::vector<std::string> pieces = utf8::Split(name, " ");
  if (pieces.size() >= 2) {
    hit.song = pieces[1];
    hit.singer = pieces[0];
  } else {
    hit.song = name;
  }
  const int32_t p1 = utf8::Find(item, ">", 2);
  const int32_t p2 = utf8::Find(item, kLinkEnd);
  if (p1 > 0 && p2 > 0) hit.link = utf8::Mid(item, p1 + 1, p2 - p1 - 1);
  return hit;
}

}  // namespace

std::string SearchUrl(std::string_view host, std::string_view escapedKeyword) {
  return WithScheme(host) + "/?keyword=" + std::string(escapedKeyword) + "&field=all";
}

std::string EscapeKeywordBytes(std::string_view utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size() * 3);
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (IsUnescaped(b)) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

bool IsNoResultPage(std::string_view page) { return utf8::Find(page, kNoResultMarker) > 0; }

std::vector<LyricHit> ScrapeResultPage(std::string_view page) {
  static const utf8::Regex pattern(kResultPattern);
  std::vector<LyricHit> hits;
  for (const utf8::RegexMatch& m : pattern.FindAll(page)) {
    if (hits.size() == kMaxResultHits) break;
    hits.push_back(ReadHit(m.Group(1)));
  }
  return hits;
}

// Line by line, never the whole lyric at once. The delimiters are ASCII, which no byte
// of a multi-byte character equals, so a byte search finds what a character search does.
std::vector<PreviewRow> SplitPreviewRows(std::string_view lyric, size_t maxRows, bool* cut) {
  std::vector<PreviewRow> rows;
  if (cut) *cut = false;
  for (size_t start = 0; start < lyric.size();) {
    const size_t end = std::min(lyric.find("\r\n", start), lyric.size());
    const std::string_view line = lyric.substr(start, end - start);
    start = end + 2;
    const size_t first = line.find(']');
    // A "]" that ends the line leaves no second piece.
    if (first == std::string_view::npos || first + 1 == line.size()) continue;
    if (rows.size() == maxRows) {
      if (cut) *cut = true;
      break;
    }
    const size_t second = std::min(line.find(']', first + 1), line.size());
    rows.push_back({std::string(line.substr(0, first)), std::string(line.substr(first + 1, second - first - 1))});
  }
  return rows;
}

std::string LyricFileName(std::string_view song) { return file_name::SafeFileName(song, ".lrc"); }
