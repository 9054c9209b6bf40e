#include "online/lyric_search.h"

#include "text/gbk_text.h"
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
  const int32_t lastClose = gbk::FindBackwards(item, ">");
  const std::string name = lastClose < 0 ? item : item.substr(static_cast<size_t>(lastClose));
  const std::vector<std::string> pieces = gbk::Split(name, " ");
  if (pieces.size() >= 2) {
    hit.song = pieces[1];
    hit.singer = pieces[0];
  } else {
    hit.song = name;
  }
  const int32_t p1 = gbk::Find(item, ">", 2);
  const int32_t p2 = gbk::Find(item, kLinkEnd);
  if (p1 > 0 && p2 > 0) hit.link = gbk::Mid(item, p1 + 1, p2 - p1 - 1);
  return hit;
}

bool IsForbiddenInFileName(unsigned char b) {
  return b < 0x20 || b == '<' || b == '>' || b == ':' || b == '"' || b == '/' || b == '\\' || b == '|' ||
         b == '?' || b == '*';
}

// A GBK pair only when the second byte can follow a lead byte; anything else is taken
// byte by byte, so that no ASCII separator hides behind a stray lead byte.
bool IsGbkPair(std::string_view s, size_t i) {
  if (i + 1 >= s.size()) return false;
  const auto lead = static_cast<unsigned char>(s[i]);
  const auto trail = static_cast<unsigned char>(s[i + 1]);
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// Windows opens a device for these base names whatever extension follows.
bool NamesDevice(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = gbk::ToUpperAscii(base);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices)
    if (base == device) return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

}  // namespace

std::string SearchUrl(std::string_view host, std::string_view escapedKeyword) {
  return "http://" + std::string(host) + "/?keyword=" + std::string(escapedKeyword) + "&field=all";
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

bool IsNoResultPage(std::string_view page) { return gbk::Find(page, kNoResultMarker) > 0; }

std::vector<LyricHit> ScrapeResultPage(std::string_view page) {
  static const gbk::Regex pattern(kResultPattern);
  std::vector<LyricHit> hits;
  for (const gbk::RegexMatch& m : pattern.FindAll(page)) hits.push_back(ReadHit(m.Group(1)));
  return hits;
}

std::vector<PreviewRow> SplitPreviewRows(std::string_view lyric) {
  std::vector<PreviewRow> rows;
  for (const std::string& line : gbk::Split(lyric, "\r\n")) {
    const std::vector<std::string> pieces = gbk::Split(line, "]");
    if (pieces.size() >= 2) rows.push_back({pieces[0], pieces[1]});
  }
  return rows;
}

std::string LyricFileName(std::string_view song) {
  std::string name;
  name.reserve(song.size() + 5);
  for (size_t i = 0; i < song.size();) {
    if (IsGbkPair(song, i)) {
      name.append(song.substr(i, 2));
      i += 2;
      continue;
    }
    const auto b = static_cast<unsigned char>(song[i]);
    name += IsForbiddenInFileName(b) || b == 0xFF || (b >= 0x81 && b <= 0xFE) ? '_' : song[i];
    ++i;
  }
  if (name.find_first_not_of(". ") == std::string::npos) return {};
  if (NamesDevice(name)) name.insert(0, "_");
  return name + ".lrc";
}
