#include "lyrics/lrc_reference_parser.h"

#include <limits>

#include "text/utf8_text.h"
#include "text/regex.h"

namespace reference {

namespace {

constexpr char kTimeTagPattern[] = R"(\[[0-9]*:[0-9]*.[0-9]*\])";

const utf8::Regex& TimeTagRegex() {
  static const utf8::Regex re(kTimeTagPattern);
  return re;
}

std::string HeaderMatch(std::string_view text, const char* pattern) {
  const auto m = utf8::Regex(pattern).FindFirst(text);
  return m ? m->text : std::string();
}

int32_t TruncateToInt32(double v) {
  if (v != v) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

}  // namespace

std::vector<std::string> findTimeTags(std::string_view text) {
  std::vector<std::string> tags;
  for (const utf8::RegexMatch& m : TimeTagRegex().FindAll(text)) tags.push_back(m.text);
  return tags;
}

std::vector<std::string> splitLyricLines(std::string_view text) {
  const std::string marked = utf8::Regex(R"(^[\s| ]*\r)").ReplaceAll(text, "*****\r\n");

  // Every CR LF ends a line, also one right after a stray lead byte: a truncated
  // character must not glue two lyric lines together.
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t end; (end = marked.find("\r\n", start)) != std::string::npos; start = end + 2) {
    pieces.push_back(marked.substr(start, end - start));
  }
  pieces.push_back(marked.substr(start));

  std::vector<std::string> lines;
  for (std::string& line : pieces) {
    const std::string head3 = utf8::ToLowerAscii(utf8::Left(line, 3));
    const std::string head7 = utf8::ToLowerAscii(utf8::Left(line, 7));
    if (line == "*****" || head3 == "[ar" || head3 == "[ti" || head3 == "[al" || head3 == "[by" ||
        head7 == "[offset") {
      continue;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

void readHeaderTags(std::string_view text, LyricTimeline& timeline) {
  auto value = [&](const char* pattern) {
    const std::string m = HeaderMatch(text, pattern);
    return utf8::Mid(m, 5, utf8::Len(m) - 5);
  };
  timeline.title = value(R"(\[ti:\S*\])");
  timeline.artist = value(R"(\[ar:\S*\])");
  timeline.album = value(R"(\[al:\S*\])");
  timeline.maker = value(R"(\[by:\S*\])");
  const std::string offset = HeaderMatch(text, R"(\[offset:\S*\])");
  timeline.offsetMs = TruncateToInt32(utf8::ToNumber(utf8::Mid(offset, 9, utf8::Len(offset) - 9)));
}

std::string textOfLine(std::string_view line) {
  static const utf8::Regex wordTime(R"(<[0-9]+:[0-9]+([.:][0-9]+)?>)");
  return wordTime.ReplaceAll(TimeTagRegex().ReplaceAll(line, ""), "");
}

std::string lineTextForTag(const std::vector<std::string>& lines, std::string_view tag) {
  for (const std::string& line : lines) {
    if (utf8::Find(line, tag) != -1) return textOfLine(line);
  }
  return {};
}

std::vector<std::string> ownLineTexts(std::string_view text, const std::vector<std::string>& lines) {
  const std::string marked = utf8::Regex(R"(^[\s| ]*\r)").ReplaceAll(text, "*****\r\n");
  std::vector<std::string> texts;
  size_t start = 0;
  while (true) {
    const size_t end = marked.find("\r\n", start);
    const std::string piece = marked.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const bool kept = !splitLyricLines(piece).empty() && splitLyricLines(piece)[0] == piece;
    for (const std::string& tag : findTimeTags(piece)) texts.push_back(kept ? textOfLine(piece) : lineTextForTag(lines, tag));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return texts;
}

int32_t tagToMs(std::string_view tag) {
  const auto minutesMatch = utf8::Regex(R"(\[[0-9]*:)").FindFirst(tag);
  if (!minutesMatch || minutesMatch->text.empty()) return -1;
  const std::string minutes = utf8::Mid(minutesMatch->text, 2, utf8::Len(minutesMatch->text) - 2);

  const auto secondsMatch = utf8::Regex(R"(:[0-9]*.)").FindFirst(tag);
  if (!secondsMatch) return -1;
  const std::string seconds = utf8::Mid(secondsMatch->text, 2, utf8::Len(secondsMatch->text) - 2);

  // The fraction starts at the seconds' separator: separator, digits, closing bracket.
  const int32_t separator = secondsMatch->position + utf8::Len(secondsMatch->text) - 1;
  const auto fractionMatch = utf8::Regex(R"(.[0-9]*\])").FindFirst(tag, separator);
  std::string fraction;
  if (fractionMatch && fractionMatch->position == separator) {
    fraction = utf8::Mid(fractionMatch->text, 2, utf8::Len(fractionMatch->text) - 2);
  }

  const double ms = utf8::ToNumber(minutes) * 60000 + utf8::ToNumber(seconds) * 1000 +
                    utf8::ToNumber(utf8::Left(fraction + "000", 3));
  if (!(ms < 2147483647.0)) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(ms);
}

void orderTimeline(const std::vector<LyricPair>& pairs, LyricTimeline& timeline) {
  std::vector<LyricPair> list;
  for (const LyricPair& pair : pairs) {
    const int32_t t = pair.timeMs;
    if (list.empty() || t >= list.back().timeMs) {
      list.push_back(pair);
    } else if (t <= list.front().timeMs) {
      list.insert(list.begin(), pair);
    } else {
      // 1-based positions, as the bisection is defined.
      size_t lo = 1;
      size_t hi = list.size();
      while (lo < hi - 1) {
        const size_t mid = (lo + hi) / 2;
        const int32_t atMid = list[mid - 1].timeMs;
        if (atMid == t) {
          lo = mid;
          break;
        }
        if (t < atMid) {
          hi = mid;
        } else {
          lo = mid;
        }
      }
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(lo), pair);
    }
  }
  timeline.lineTexts.assign(1, std::string());
  for (size_t i = 0; i < list.size(); ++i) {
    timeline.timesMs[i] = list[i].timeMs;
    timeline.textOf[i] = static_cast<uint32_t>(timeline.lineTexts.size());
    timeline.lineTexts.push_back(list[i].text);
  }
}

bool parseLrc(std::string_view text, LyricTimeline& timeline) {
  const std::vector<std::string> tags = findTimeTags(text);
  const std::vector<std::string> lines = splitLyricLines(text);
  readHeaderTags(text, timeline);

  const size_t n = tags.size();
  timeline.count = static_cast<int32_t>(n);
  timeline.timesMs.assign(n, 0);
  timeline.textOf.assign(n, 0);
  timeline.lineTexts.assign(1, std::string());
  std::vector<LyricPair> pairs(n);
  // Each tag's own line, tags taken line by line: no tag spans a CR LF, and no blank run
  // touches a tag, so they are the tags of the whole text.
  const std::vector<std::string> texts = ownLineTexts(text, lines);
  if (texts.size() != n) return false;
  for (size_t k = 0; k < n; ++k) {
    // No line break at either end of an entry's text.
    std::string text = texts[k];
    const size_t first = text.find_first_not_of("\r\n");
    pairs[k].text = first == std::string::npos ? "" : text.substr(first, text.find_last_not_of("\r\n") + 1 - first);
    const int32_t ms = tagToMs(tags[k]);
    if (ms == -1) return false;
    pairs[k].timeMs = ms;
  }
  orderTimeline(pairs, timeline);
  return true;
}

}  // namespace reference
