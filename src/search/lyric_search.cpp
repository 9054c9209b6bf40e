#include "search/lyric_search.h"

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

std::vector<PreviewRow> SplitPreviewRows(std::string_view lyric) {
  std::vector<PreviewRow> rows;
  for (const std::string& line : utf8::Split(lyric, "\r\n")) {
    const std::vector<std::string> pieces = utf8::Split(line, "]");
    if (pieces.size() >= 2) rows.push_back({pieces[0], pieces[1]});
  }
  return rows;
}

std::string LyricFileName(std::string_view song) { return file_name::SafeFileName(song, ".lrc"); }
