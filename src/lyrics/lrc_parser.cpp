// LRC parsing in time near-linear in the size of the text.
//
// The result is defined by a handful of regular expressions and by a bisection insertion
// (see lrc_parser.h). Run literally, that definition searches the whole line list for
// every tag and inserts into the middle of a vector for every tag, which freezes the
// window on a large file picked by mistake. Here the patterns are hand-written scanners
// (lrc_scan.h), the line search indexes every line once by all tag-shaped strings that
// start at a character start and looks them up in a table of the tag texts still wanted
// (lrc_tag_table.h), and the insertion positions come from counting trees (lrc_order.h).

#include "lyrics/lrc_parser.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

#include "lyrics/lrc_order.h"
#include "lyrics/lrc_scan.h"
#include "lyrics/lrc_tag_table.h"
#include "text/encoding.h"
#include "text/utf8_text.h"

using lrc::kNone;
using lrc::SkipDigits;

namespace {

constexpr int32_t kMaxMs = std::numeric_limits<int32_t>::max();

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

constexpr size_t kNoLine = kNone;

// For tags that stand on no lyric line (a header line, one with a stray CR): the first
// line holding the tag text at a character start, kNoLine for none. Any such occurrence
// starts at a '[' and ends at one of the two places a time tag can end, so those
// candidates are all a line has to offer.
std::vector<size_t> FirstLineHolding(const std::vector<std::string_view>& tags,
                                     const std::vector<std::string_view>& lines) {
  lrc::TagTable distinctTags(tags.size());
  std::vector<size_t> tagId(tags.size());
  for (size_t k = 0; k < tags.size(); ++k) tagId[k] = distinctTags.Insert(tags[k]);
  std::vector<size_t> lineOfId(distinctTags.Size(), kNoLine);
  size_t unplaced = lineOfId.size();
  for (size_t li = 0; li < lines.size() && unplaced > 0; ++li) {
    const std::string_view line = lines[li];
    auto offer = [&](std::string_view candidate) {
      const size_t id = distinctTags.Find(candidate);
      if (id != lrc::TagTable::kMissing && lineOfId[id] == kNoLine) {
        lineOfId[id] = li;
        --unplaced;
      }
    };
    for (size_t c = 0; c < line.size();) {
      const unsigned char b = static_cast<unsigned char>(line[c]);
      if (b != '[') {
        c += enc::CharLengthAt(line, c);
        continue;
      }
      lrc::ForEachTagEndAt(line, c, offer);
      ++c;
    }
  }
  std::vector<size_t> lineOfTag(tags.size());
  for (size_t k = 0; k < tags.size(); ++k) lineOfTag[k] = lineOfId[tagId[k]];
  return lineOfTag;
}

// The index of the line each tag takes its text from: the lyric line it stands on, so
// that lines sharing a time stamp (a song and its translation) each keep their own text;
// a tag on no lyric line takes the first line holding its text (FirstLineHolding).
// tagAt is where each tag starts in the text given to MarkBlankRuns; its runs map that
// text onto marked, into which the lines point.
std::vector<size_t> LineOfEachTag(const std::vector<std::string_view>& tags, const std::vector<size_t>& tagAt,
                                  const std::vector<lrc::MarkedRun>& runs, const std::string& marked,
                                  const std::vector<std::string_view>& lines) {
  std::vector<size_t> lineOfTag(tags.size(), kNoLine);
  std::vector<size_t> homeless;
  size_t run = 0;
  size_t line = 0;
  for (size_t k = 0; k < tags.size(); ++k) {
    while (run < runs.size() && runs[run].originalAt <= tagAt[k]) ++run;
    const size_t at = run == 0 ? tagAt[k] : tagAt[k] - runs[run - 1].originalAt + runs[run - 1].markedAt;
    while (line < lines.size() && static_cast<size_t>(lines[line].data() - marked.data()) + lines[line].size() < at + tags[k].size())
      ++line;
    const size_t start = line < lines.size() ? static_cast<size_t>(lines[line].data() - marked.data()) : kNone;
    if (start != kNone && start <= at) {
      lineOfTag[k] = line;
    } else {
      homeless.push_back(k);
    }
  }
  if (homeless.empty()) return lineOfTag;
  std::vector<std::string_view> homelessTags;
  for (size_t k : homeless) homelessTags.push_back(tags[k]);
  const std::vector<size_t> found = FirstLineHolding(homelessTags, lines);
  for (size_t h = 0; h < homeless.size(); ++h) lineOfTag[homeless[h]] = found[h];
  return lineOfTag;
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
  std::vector<size_t> tagAt;
  lrc::ForEachTag(lrcText, [&](size_t at, size_t len) {
    tags.push_back(lrcText.substr(at, len));
    tagAt.push_back(at);
  });

  std::vector<lrc::MarkedRun> runs;
  const std::string marked = lrc::MarkBlankRuns(lrcText, &runs);
  const std::vector<std::string_view> lines = lrc::LyricLines(marked);

  timeline.title = std::string(lrc::HeaderValue(lrcText, "[ti:"));
  timeline.artist = std::string(lrc::HeaderValue(lrcText, "[ar:"));
  timeline.album = std::string(lrc::HeaderValue(lrcText, "[al:"));
  timeline.maker = std::string(lrc::HeaderValue(lrcText, "[by:"));
  timeline.offsetMs = TruncateToInt32(utf8::ToNumber(lrc::HeaderValue(lrcText, "[offset:")));

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

  // The text of a line, computed once and shared by every tag on it; pool entry 0 is
  // the empty text of tags that stand on no line.
  const std::vector<size_t> lineOfTag = LineOfEachTag(tags, tagAt, runs, marked, lines);
  constexpr size_t kNotYet = kNone;
  std::vector<size_t> textOfLine(lines.size(), kNotYet);
  std::vector<uint32_t> textOfTag(n, 0);
  for (size_t k = 0; k < n; ++k) {
    const size_t li = lineOfTag[k];
    if (li == kNoLine) continue;
    if (textOfLine[li] == kNotYet) {
      textOfLine[li] = timeline.lineTexts.size();
      timeline.lineTexts.push_back(lrc::LineText(lines[li]));
    }
    textOfTag[k] = static_cast<uint32_t>(textOfLine[li]);
  }

  const std::vector<size_t> slot = lrc::InsertionOrder(times);
  for (size_t k = 0; k < n; ++k) {
    timeline.timesMs[slot[k]] = times[k];
    timeline.textOf[slot[k]] = textOfTag[k];
  }
  return true;
}
