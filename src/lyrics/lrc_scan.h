// The scanners of the LRC parse: each stands for one regular expression of the parse's
// definition (see lrc_parser.h) and produces the same bytes in one pass over the text.
//   - time tags: tried only at '[' bytes, at most two possible ends per '[';
//   - blank runs: one pass over line starts, skipping the rest of a run once it is known;
//   - header tags: one pass per key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lrc {

inline constexpr size_t kNone = std::string_view::npos;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline size_t SkipDigits(std::string_view s, size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// Length of the time tag \[[0-9]*:[0-9]*.[0-9]*\] that the regex engine matches at s[at]
// (which is '['), or 0.
size_t TagLengthAt(std::string_view s, size_t at);

// Calls visit(position, length) for every successive non-overlapping time tag.
template <class Visit>
void ForEachTag(std::string_view s, Visit&& visit) {
  size_t at = s.find('[');
  while (at != kNone) {
    const size_t len = TagLengthAt(s, at);
    if (len != 0) visit(at, len);
    at = s.find('[', at + (len != 0 ? len : 1));
  }
}

// Calls offer(candidate) for every tag-shaped stretch that starts at the '[' at s[at]:
// a tag closed right after its seconds and one closed after the digits behind the
// seconds' separator, the two ends TagLengthAt allows.
template <class Offer>
void ForEachTagEndAt(std::string_view s, size_t at, Offer&& offer) {
  const size_t colon = SkipDigits(s, at + 1);
  if (colon >= s.size() || s[colon] != ':') return;
  const size_t afterSeconds = SkipDigits(s, colon + 1);
  if (afterSeconds >= s.size()) return;
  if (afterSeconds > colon + 1 && s[afterSeconds] == ']') offer(s.substr(at, afterSeconds + 1 - at));
  const size_t close = SkipDigits(s, afterSeconds + 1);
  if (close < s.size() && s[close] == ']') offer(s.substr(at, close + 1 - at));
}

// The line with every time tag and every word time (<mm:ss.xx>, <mm:ss>) cut out and no
// line break left at either end: the text a tag on that line stands for.
std::string LineText(std::string_view line);

// Where MarkBlankRuns replaced a blank run: the text behind it starts at markedAt in the
// marked text and at originalAt in the text it was given.
struct MarkedRun {
  size_t markedAt;
  size_t originalAt;
};

// Every match of ^[\s| ]*\r replaced by "*****\r\n". A run holds no '[', so no time tag
// is touched; runs, when given, receives each replacement in text order.
std::string MarkBlankRuns(std::string_view s, std::vector<MarkedRun>* runs = nullptr);

// The line list: split at every CR LF, marker and header lines dropped. The views point
// into marked.
std::vector<std::string_view> LyricLines(const std::string& marked);

// First match of \[key:\S*\], without the bracket, key and colon in front and the bracket
// behind; empty when there is none.
std::string_view HeaderValue(std::string_view s, std::string_view keyWithBracket);

}  // namespace lrc
