// LRC parsing in time near-linear in the size of the text.
//
// The result is defined by a handful of regular expressions and by a bisection insertion
// (see lrc_parser.h). Run literally, that definition searches the whole line list for
// every tag and inserts into the middle of a vector for every tag, which freezes the
// window on a large file picked by mistake. Each step below is a hand-written scanner
// that produces the same bytes as the pattern it stands for, in one pass:
//   - time tags: tried only at '[' bytes, at most two possible ends per '[';
//   - blank runs: one pass over line starts, skipping the rest of a run once it is known;
//   - line search: every line is indexed once by all tag-shaped strings that start at a
//     character start, and looked up in a table of the tag texts still wanted;
//   - ordering: the insertion positions are computed with counting trees instead of
//     moving elements.

#include "lyrics/lrc_parser.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "text/gbk_text.h"

namespace {

constexpr size_t kNone = std::string_view::npos;
constexpr int32_t kMaxMs = std::numeric_limits<int32_t>::max();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipDigits(std::string_view s, size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

// Length of the time tag \[[0-9]*:[0-9]*.[0-9]*\] that the regex engine matches at s[at]
// (which is '['), or 0. The digits before the colon can only be the whole run. The
// engine first lets the dot take the byte after the second digit run (any byte, even
// ']') and needs digits and ']' after it; failing that it backtracks the dot onto the
// last digit of that run, which only helps when the run is followed by ']'.
size_t TagLengthAt(std::string_view s, size_t at) {
  const size_t colon = SkipDigits(s, at + 1);
  if (colon >= s.size() || s[colon] != ':') return 0;
  const size_t afterSeconds = SkipDigits(s, colon + 1);
  if (afterSeconds >= s.size()) return 0;
  const size_t close = SkipDigits(s, afterSeconds + 1);
  if (close < s.size() && s[close] == ']') return close + 1 - at;
  if (afterSeconds > colon + 1 && s[afterSeconds] == ']') return afterSeconds + 1 - at;
  return 0;
}

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

std::string WithoutTags(std::string_view line) {
  std::string out;
  size_t kept = 0;
  ForEachTag(line, [&](size_t at, size_t len) {
    out.append(line, kept, at - kept);
    kept = at + len;
  });
  out.append(line, kept, kept <= line.size() ? line.size() - kept : 0);
  return out;
}

// A blank line before a lyric line leaves its line feed at the start of that line; a
// text typed into a one-line field must carry no line break at either end.
std::string WithoutLineBreaksAtEnds(std::string text) {
  const size_t first = text.find_first_not_of("\r\n");
  if (first == std::string::npos) return {};
  text.erase(text.find_last_not_of("\r\n") + 1);
  text.erase(0, first);
  return text;
}

// "^" of the regex engine: text start, after LF, after a CR that no LF follows.
bool IsLineStart(std::string_view s, size_t i) {
  if (i == 0) return true;
  const char prev = s[i - 1];
  return prev == '\n' || (prev == '\r' && (i == s.size() || s[i] != '\n'));
}

bool IsBlankRunByte(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '|';
}

bool IsRegexSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Every match of ^[\s| ]*\r replaced by "*****\r\n". A line start whose greedy run has no
// CR does not match, and neither does any line start later in the same run (their runs
// end at the same byte); after a match, which ends at the run's last CR, the remaining
// line starts of the run hold no CR either. So each run is looked at once.
std::string MarkBlankRuns(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  size_t kept = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (!IsLineStart(s, i)) {
      ++i;
      continue;
    }
    size_t runEnd = i;
    size_t lastCr = kNone;
    while (runEnd < s.size() && IsBlankRunByte(s[runEnd])) {
      if (s[runEnd] == '\r') lastCr = runEnd;
      ++runEnd;
    }
    if (lastCr != kNone) {
      out.append(s, kept, i - kept);
      out += "*****\r\n";
      kept = lastCr + 1;
    }
    i = std::max(runEnd, i + 1);
  }
  out.append(s, kept, s.size() - kept);
  return out;
}

bool StartsWithLowered(std::string_view line, std::string_view lowerPrefix) {
  if (line.size() < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lowerPrefix[i]) return false;
  }
  return true;
}

bool IsDroppedLine(std::string_view line) {
  return line == "*****" || StartsWithLowered(line, "[ar") || StartsWithLowered(line, "[ti") ||
         StartsWithLowered(line, "[al") || StartsWithLowered(line, "[by") ||
         StartsWithLowered(line, "[offset");
}

// The line list: split at every CR LF, marker and header lines dropped. The views point
// into marked.
std::vector<std::string_view> LyricLines(const std::string& marked) {
  std::vector<std::string_view> lines;
  const std::string_view all(marked);
  size_t start = 0;
  while (true) {
    const size_t end = all.find("\r\n", start);
    const std::string_view line = all.substr(start, end == kNone ? kNone : end - start);
    if (!IsDroppedLine(line)) lines.push_back(line);
    if (end == kNone) break;
    start = end + 2;
  }
  return lines;
}

// First match of \[key:\S*\], without the bracket, key and colon in front and the bracket
// behind. The \S* run is greedy, so the match ends at the last ']' of the run. Further
// occurrences of the key inside a run without ']' share its end and fail as well.
std::string_view HeaderValue(std::string_view s, std::string_view keyWithBracket) {
  size_t from = 0;
  size_t at;
  while ((at = s.find(keyWithBracket, from)) != kNone) {
    const size_t valueStart = at + keyWithBracket.size();
    size_t runEnd = valueStart;
    size_t lastClose = kNone;
    while (runEnd < s.size() && !IsRegexSpace(s[runEnd])) {
      if (s[runEnd] == ']') lastClose = runEnd;
      ++runEnd;
    }
    if (lastClose != kNone) return s.substr(valueStart, lastClose - valueStart);
    from = runEnd;
  }
  return {};
}

int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Digit run as a number, held at a bound far above anything that still fits the result.
int64_t DigitsValue(std::string_view digits) {
  constexpr int64_t kCap = 10'000'000'000;
  int64_t v = 0;
  for (char c : digits) v = std::min(kCap, v * 10 + (c - '0'));
  return v;
}

// The distinct tag texts, numbered in order of first appearance. Open addressing over
// one flat array: a node-based map spends most of the parse on cache misses.
class TagTable {
 public:
  static constexpr size_t kMissing = kNone;

  explicit TagTable(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, kEmpty);
  }

  size_t Size() const { return texts_.size(); }

  // Number of text, added if new.
  size_t Insert(std::string_view text) {
    uint32_t& slot = SlotOf(text);
    if (slot == kEmpty) {
      slot = static_cast<uint32_t>(texts_.size());
      texts_.push_back(text);
    }
    return slot;
  }

  size_t Find(std::string_view text) {
    const uint32_t slot = SlotOf(text);
    return slot == kEmpty ? kMissing : slot;
  }

 private:
  // A tag takes at least four bytes: no text this program can hold has 2^32 - 1 of them.
  static constexpr uint32_t kEmpty = std::numeric_limits<uint32_t>::max();

  static size_t Hash(std::string_view text) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<size_t>(h ^ (h >> 32));
  }

  // The slot holding text, or the empty slot where it belongs. The table is never more
  // than half full, so the probe ends.
  uint32_t& SlotOf(std::string_view text) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = Hash(text) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == kEmpty || texts_[slots_[i]] == text) return slots_[i];
    }
  }

  std::vector<uint32_t> slots_;
  std::vector<std::string_view> texts_;
};

// Prefix counts with updates in O(log n).
class CountTree {
 public:
  explicit CountTree(size_t n) : tree_(n + 1, 0) {}
  void Add(size_t index, int32_t delta) {
    for (size_t i = index + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
  }
  // Sum of the counts at indices [0, end).
  int32_t Prefix(size_t end) const {
    int32_t sum = 0;
    for (size_t i = end; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }
  // Smallest index whose prefix up to and including it reaches k (k >= 1).
  size_t FindKth(int32_t k) const {
    size_t pos = 0;
    size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    for (; step > 0; step /= 2) {
      if (pos + step < tree_.size() && tree_[pos + step] < k) {
        pos += step;
        k -= tree_[pos];
      }
    }
    return pos;
  }

 private:
  std::vector<int32_t> tree_;
};

// Final index of every entry (given in tag order) after the bisection insertion.
//
// Between different times the insertion is a plain sort; it only matters where a time
// goes among entries of the same time. With a list of m entries whose block of times
// equal to t occupies the 1-based positions s..e:
//   - t >= last time: appended, so it ends the block;
//   - else t <= first time: in front, so it starts the block;
//   - else the bisection keeps list[lo] < t < list[hi], narrowing by the same steps as
//     long as its probe misses s..e, and it cannot stop before a probe lands in s..e
//     (the block lies strictly between lo and hi); the entry goes right after that probe.
// So the place inside the block follows from m, s and e alone, which a count tree over
// the distinct times gives without the list. What remains is a list of "insert at place
// p of this block" steps per block; taken backwards, each entry gets the p-th slot of its
// block not yet taken by a later entry.
std::vector<size_t> InsertionOrder(const std::vector<int32_t>& times) {
  const size_t n = times.size();
  std::vector<int32_t> distinct(times);
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());

  std::vector<size_t> block(n);
  for (size_t i = 0; i < n; ++i) {
    block[i] = static_cast<size_t>(std::lower_bound(distinct.begin(), distinct.end(), times[i]) -
                                   distinct.begin());
  }

  CountTree byTime(distinct.size());
  std::vector<int32_t> blockSize(distinct.size(), 0);
  std::vector<int32_t> placeInBlock(n, 1);
  int32_t first = 0;
  int32_t last = 0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t t = times[i];
    const int32_t equal = blockSize[block[i]];
    if (i > 0 && equal > 0) {
      if (t >= last) {
        placeInBlock[i] = equal + 1;
      } else if (t > first) {
        const int64_t s = byTime.Prefix(block[i]) + 1;
        const int64_t e = s + equal - 1;
        int64_t lo = 1;
        int64_t hi = static_cast<int64_t>(i);
        while (lo < hi - 1) {
          const int64_t mid = (lo + hi) / 2;
          if (mid >= s && mid <= e) {
            placeInBlock[i] = static_cast<int32_t>(mid - s + 2);
            break;
          }
          if (mid > e) {
            hi = mid;
          } else {
            lo = mid;
          }
        }
      }
    }
    ++blockSize[block[i]];
    byTime.Add(block[i], 1);
    first = i == 0 ? t : std::min(first, t);
    last = i == 0 ? t : std::max(last, t);
  }

  std::vector<int32_t> blockStart(distinct.size(), 0);
  for (size_t b = 1; b < distinct.size(); ++b) blockStart[b] = blockStart[b - 1] + blockSize[b - 1];

  CountTree freeSlots(n);
  for (size_t i = 0; i < n; ++i) freeSlots.Add(i, 1);
  std::vector<size_t> slot(n);
  for (size_t i = n; i-- > 0;) {
    const int32_t k = freeSlots.Prefix(static_cast<size_t>(blockStart[block[i]])) + placeInBlock[i];
    slot[i] = freeSlots.FindKth(k);
    freeSlots.Add(slot[i], -1);
  }
  return slot;
}

}  // namespace

int32_t tagToMs(std::string_view tag) {
  // Minutes: the digits of the first '[' digits ':' stretch.
  std::optional<std::string_view> minutes;
  for (size_t at = tag.find('['); at != kNone && !minutes; at = tag.find('[', at + 1)) {
    const size_t colon = SkipDigits(tag, at + 1);
    if (colon < tag.size() && tag[colon] == ':') minutes = tag.substr(at + 1, colon - at - 1);
  }
  if (!minutes) return -1;

  // Seconds: the digits after the first colon, then one byte of any kind, the separator.
  // When the digits run to the end of the text the last digit serves as the separator.
  const size_t colon = tag.find(':');
  if (colon + 1 >= tag.size()) return -1;
  size_t separator = SkipDigits(tag, colon + 1);
  if (separator == tag.size()) --separator;
  const std::string_view seconds = tag.substr(colon + 1, separator - colon - 1);

  // Fraction: the digits between the separator and a closing bracket, as a decimal
  // fraction of a second (".5" is 500 ms, ".34" 340 ms, ".3456" 345 ms). A tag closed
  // right after its seconds ("[01:02]") has none.
  int64_t fractionMs = 0;
  const size_t close = SkipDigits(tag, separator + 1);
  if (close < tag.size() && tag[close] == ']') {
    const std::string_view digits = tag.substr(separator + 1, close - separator - 1);
    for (size_t i = 0; i < 3; ++i) fractionMs = fractionMs * 10 + (i < digits.size() ? digits[i] - '0' : 0);
  }

  const int64_t ms = DigitsValue(*minutes) * 60000 + DigitsValue(seconds) * 1000 + fractionMs;
  return static_cast<int32_t>(std::min<int64_t>(ms, kMaxMs));
}

bool parseLrc(std::string_view lrcText, LyricTimeline& timeline) {
  std::vector<std::string_view> tags;
  ForEachTag(lrcText, [&](size_t at, size_t len) { tags.push_back(lrcText.substr(at, len)); });

  const std::string marked = MarkBlankRuns(lrcText);
  const std::vector<std::string_view> lines = LyricLines(marked);

  timeline.title = std::string(HeaderValue(lrcText, "[ti:"));
  timeline.artist = std::string(HeaderValue(lrcText, "[ar:"));
  timeline.album = std::string(HeaderValue(lrcText, "[al:"));
  timeline.maker = std::string(HeaderValue(lrcText, "[by:"));
  timeline.offsetMs = TruncateToInt32(gbk::ToNumber(HeaderValue(lrcText, "[offset:")));

  const size_t n = tags.size();
  timeline.count = static_cast<int32_t>(n);
  timeline.timesMs.assign(n, 0);
  timeline.textOf.assign(n, 0);
  timeline.lineTexts.assign(1, std::string());

  std::vector<int32_t> times(n);
  for (size_t k = 0; k < n; ++k) {
    times[k] = tagToMs(tags[k]);
    if (times[k] < 0) return false;
  }

  // The line of a tag text is the first line holding it at a character start. Any such
  // occurrence starts at a '[' and ends at one of the two places TagLengthAt allows, so
  // those candidates are all a line has to offer.
  TagTable distinctTags(n);
  std::vector<size_t> tagId(n);
  for (size_t k = 0; k < n; ++k) tagId[k] = distinctTags.Insert(tags[k]);
  constexpr size_t kNoLine = kNone;
  std::vector<size_t> lineOfTag(distinctTags.Size(), kNoLine);
  size_t unplaced = lineOfTag.size();
  auto offer = [&](std::string_view candidate, size_t lineIndex) {
    const size_t id = distinctTags.Find(candidate);
    if (id != TagTable::kMissing && lineOfTag[id] == kNoLine) {
      lineOfTag[id] = lineIndex;
      --unplaced;
    }
  };
  for (size_t li = 0; li < lines.size() && unplaced > 0; ++li) {
    const std::string_view line = lines[li];
    for (size_t c = 0; c < line.size();) {
      const unsigned char b = static_cast<unsigned char>(line[c]);
      if (b != '[') {
        c += gbk::IsLeadByte(b) ? 2 : 1;
        continue;
      }
      const size_t colon = SkipDigits(line, c + 1);
      if (colon < line.size() && line[colon] == ':') {
        const size_t afterSeconds = SkipDigits(line, colon + 1);
        if (afterSeconds < line.size()) {
          if (afterSeconds > colon + 1 && line[afterSeconds] == ']') {
            offer(line.substr(c, afterSeconds + 1 - c), li);
          }
          const size_t close = SkipDigits(line, afterSeconds + 1);
          if (close < line.size() && line[close] == ']') offer(line.substr(c, close + 1 - c), li);
        }
      }
      ++c;
    }
  }

  // The text of a line, computed once and shared by every tag on it; pool entry 0 is
  // the empty text of tags that stand on no line.
  constexpr size_t kNotYet = kNone;
  std::vector<size_t> textOfLine(lines.size(), kNotYet);
  std::vector<uint32_t> textOfTag(n, 0);
  for (size_t k = 0; k < n; ++k) {
    const size_t li = lineOfTag[tagId[k]];
    if (li == kNoLine) continue;
    if (textOfLine[li] == kNotYet) {
      textOfLine[li] = timeline.lineTexts.size();
      timeline.lineTexts.push_back(WithoutLineBreaksAtEnds(WithoutTags(lines[li])));
    }
    textOfTag[k] = static_cast<uint32_t>(textOfLine[li]);
  }

  const std::vector<size_t> slot = InsertionOrder(times);
  for (size_t k = 0; k < n; ++k) {
    timeline.timesMs[slot[k]] = times[k];
    timeline.textOf[slot[k]] = textOfTag[k];
  }
  return true;
}
