// libFuzzer target of the LRC parse. Besides the sanitizers it checks what every parse
// must give: success, one entry per time tag, arrays of that length, and the times of
// the tags, ascending. The tags are counted with the regex engine, not with the
// parser's own scanner.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/lrc_parser.h"
#include "text/regex.h"

namespace {

void Require(bool ok) {
  if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view text = bytes.substr(0, bytes.find('\0'));  // as the loader does

  LyricTimeline timeline;
  Require(parseLrc(text, timeline));

  static const gbk::Regex kTimeTag(R"(\[[0-9]*:[0-9]*.[0-9]*\])");
  const std::vector<gbk::RegexMatch> tags = kTimeTag.FindAll(text);
  Require(timeline.count == static_cast<int32_t>(tags.size()));
  Require(timeline.timesMs.size() == tags.size());
  Require(timeline.texts.size() == tags.size());
  Require(std::is_sorted(timeline.timesMs.begin(), timeline.timesMs.end()));

  std::vector<int32_t> tagTimes;
  for (const gbk::RegexMatch& tag : tags) {
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
