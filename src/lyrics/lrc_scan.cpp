#include "lyrics/lrc_scan.h"

#include <algorithm>

namespace lrc {

namespace {

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

// Length of the word time <digits:digits> or <digits:digits.digits> (':' also taken as
// the separator of the hundredths) at s[at], which is '<'; 0 when there is none.
size_t WordTimeLengthAt(std::string_view s, size_t at) {
  const size_t colon = SkipDigits(s, at + 1);
  if (colon == at + 1 || colon >= s.size() || s[colon] != ':') return 0;
  size_t end = SkipDigits(s, colon + 1);
  if (end == colon + 1 || end >= s.size()) return 0;
  if ((s[end] == '.' || s[end] == ':') && end + 1 < s.size() && IsDigit(s[end + 1])) end = SkipDigits(s, end + 1);
  return end < s.size() && s[end] == '>' ? end + 1 - at : 0;
}

// Karaoke files time each word (<00:01.40>twinkle): the times are for a player that
// colours word by word, not text to show or type.
std::string WithoutWordTimes(std::string text) {
  size_t at = text.find('<');
  if (at == std::string::npos) return text;
  std::string out;
  size_t kept = 0;
  for (; at != std::string::npos; at = text.find('<', at + 1)) {
    const size_t len = WordTimeLengthAt(text, at);
    if (len == 0) continue;
    out.append(text, kept, at - kept);
    kept = at + len;
    at += len - 1;
  }
  out.append(text, kept, std::string::npos);
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

bool SameLetterIgnoringCase(char lower, char c) {
  return lower == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
}

// A marker line, or a header line: "[ar", "[ti", "[al", "[by" or "[offset" in any case.
bool IsDroppedLine(std::string_view line) {
  if (line == "*****") return true;
  if (line.empty() || line[0] != '[') return false;
  for (const std::string_view key : {"[ar", "[ti", "[al", "[by", "[offset"}) {
    if (line.size() >= key.size() && std::equal(key.begin(), key.end(), line.begin(), SameLetterIgnoringCase)) {
      return true;
    }
  }
  return false;
}

}  // namespace

// The digits before the colon can only be the whole run. The engine first lets the dot
// take the byte after the second digit run (any byte, even ']') and needs digits and ']'
// after it; failing that it backtracks the dot onto the last digit of that run, which
// only helps when the run is followed by ']'. So the longer of the two ends wins.
size_t TagLengthAt(std::string_view s, size_t at) {
  size_t length = 0;
  ForEachTagEndAt(s, at, [&](std::string_view tag) { length = tag.size(); });
  return length;
}

std::string LineText(std::string_view line) { return WithoutLineBreaksAtEnds(WithoutWordTimes(WithoutTags(line))); }

// A line start whose greedy run has no CR does not match, and neither does any line
// start later in the same run (their runs end at the same byte); after a match, which
// ends at the run's last CR, the remaining line starts of the run hold no CR either. So
// each run is looked at once.
std::string MarkBlankRuns(std::string_view s, std::vector<MarkedRun>* runs) {
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
      if (runs) runs->push_back({out.size(), kept});
    }
    i = std::max(runEnd, i + 1);
  }
  out.append(s, kept, s.size() - kept);
  return out;
}

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

// The \S* run is greedy, so the match ends at the last ']' of the run. Further
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

}  // namespace lrc
