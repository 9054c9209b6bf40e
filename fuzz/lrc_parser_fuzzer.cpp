// libFuzzer target of the whole lyric load: file bytes in (any encoding, any line ends),
// timeline out. Besides the sanitizers it checks what every load must give: CR LF line
// ends only, success, one entry per time tag, arrays of that length, the times of the
// tags ascending, no line break at either end of a text, and texts held once per line
// (their bytes never more than the text's). The tags are counted with the regex engine,
// not with the parser's own scanner. The run's memory limits make a blow-up a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_encoding.h"
#include "text/regex.h"

namespace {

void Require(bool ok) {
  if (!ok) abort();
}

bool HasBareLineBreak(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return true;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string loaded = LyricFileText(bytes);  // as the loader does
  const std::string_view text = loaded;
  Require(text.find('\0') == std::string_view::npos);
  // Decoding makes at most three bytes of one (a GBK or Big5 pair, a byte that forms no
  // character), and normalising at most two of one.
  Require(text.size() <= 6 * bytes.size());
  Require(!HasBareLineBreak(text));

  LyricTimeline timeline;
  Require(parseLrc(text, timeline));

  static const utf8::Regex kTimeTag(R"(\[[0-9]*:[0-9]*.[0-9]*\])");
  const std::vector<utf8::RegexMatch> tags = kTimeTag.FindAll(text);
  Require(timeline.count == static_cast<int32_t>(tags.size()));
  Require(timeline.timesMs.size() == tags.size());
  Require(timeline.textOf.size() == tags.size());
  size_t textBytes = 0;
  for (const std::string& t : timeline.lineTexts) {
    textBytes += t.size();
    Require(t.empty() || (t.front() != '\r' && t.front() != '\n' && t.back() != '\r' && t.back() != '\n'));
  }
  Require(textBytes <= text.size());
  for (uint32_t id : timeline.textOf) Require(id < timeline.lineTexts.size());
  Require(std::is_sorted(timeline.timesMs.begin(), timeline.timesMs.end()));

  std::vector<int32_t> tagTimes;
  for (const utf8::RegexMatch& tag : tags) {
    const int32_t ms = tagToMs(tag.text);
    Require(ms >= 0);
    tagTimes.push_back(ms);
  }
  std::sort(tagTimes.begin(), tagTimes.end());
  Require(tagTimes == timeline.timesMs);

  // Any text at all, tag or not, must read without overflow.
  Require(tagToMs(text) >= -1);
  return 0;
}
