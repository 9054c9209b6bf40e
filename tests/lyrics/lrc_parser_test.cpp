// Expected results of the LRC parse, checked on the production parser and on the
// reference parser alike, so that the reference is a yardstick worth comparing with.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "lyrics/lrc_parser.h"
#include "lyrics/lrc_reference_parser.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

using ParseFn = bool (*)(std::string_view, LyricTimeline&);
struct Impl {
  const char* name;
  ParseFn parse;
  int32_t (*toMs)(std::string_view);
};
const Impl kImpls[] = {{"production", &parseLrc, &tagToMs},
                       {"reference", &reference::parseLrc, &reference::tagToMs}};

struct EntriesCase {
  const char* name;
  std::string text;
  std::vector<int32_t> times;
  std::vector<std::string> texts;
};

const EntriesCase kEntriesCases[] = {
    {"tag and text", "[00:12.34]Hello", {12340}, {"Hello"}},
    {"two tags share their line, another line sorts between",
     "[00:10.00][00:50.00]Chorus\r\n[00:20.00]Verse",
     {10000, 20000, 50000},
     {"Chorus", "Verse", "Chorus"}},
    {"out of order; equal to the first goes in front",
     "[00:30.00]B\r\n[00:10.00]A\r\n[0:10]C",
     {10000, 10000, 30000},
     {"C", "A", "B"}},
    {"equal to the last goes behind", "[00:10.00]A\r\n[00:10.0]B", {10000, 10000}, {"A", "B"}},
    // A10, B50, then C D E F at 20: C lands between, D after the probed C, E after the
    // probed C again, F after the probed E.
    {"equal to a probed middle entry goes right after it",
     "[0:10]A\r\n[0:50]B\r\n[0:20]C\r\n[0:20.0]D\r\n[0:20.00]E\r\n[0:20.000]F",
     {10000, 20000, 20000, 20000, 20000, 50000},
     {"A", "C", "E", "F", "D", "B"}},
    {"only tags on the line", "[00:01.00]\r\n[00:02.00]x", {1000, 2000}, {"", "x"}},
    {"tag in the middle of a line", "Hello [00:05.00]world", {5000}, {"Hello world"}},
    {"line after blank lines starts without a line feed", "[00:01.00]a\r\n\r\n\r\n[00:02.00]b", {1000, 2000},
     {"a", "b"}},
    {"blank line of spaces, tab and bars", "[00:01.00]a\r\n | \t\r\n[00:02.00]b", {1000, 2000},
     {"a", "b"}},
    {"blank run at the start", "\r\n \r\n[00:01.00]x", {1000}, {"x"}},
    {"lone CR before CR LF", "[00:01.00]a\r\r\n[00:02.00]b", {1000, 2000}, {"a\r*****", "b"}},
    {"bare line feeds make one line", "[00:01.00]a\n[00:02.00]b\n", {1000, 2000}, {"a\nb", "a\nb"}},
    {"bare line feeds behind a header line", "[ti:t]\n[00:01.00]a", {1000}, {""}},
    {"lines sharing a time stamp keep their own texts", "[00:30.00]A\r\n[00:30.00]B", {30000, 30000}, {"A", "B"}},
    {"a bilingual lyric", "[00:01.00]The river sings beneath the bridge\r\n[00:01.00]河水在桥下歌唱\r\n[00:04.00]x",
     {1000, 1000, 4000}, {"The river sings beneath the bridge", "河水在桥下歌唱", "x"}},
    {"a chorus line gives its text to each of its tags", "[00:01.00][00:30.00]Chorus\r\n[00:10.00]Verse",
     {1000, 10000, 30000}, {"Chorus", "Verse", "Chorus"}},
    {"word times are dropped", "[00:01.00]<00:01.00>Twinkle <00:01.40>twinkle <00:01.80>little <00:02.20>star",
     {1000}, {"Twinkle twinkle little star"}},
    {"word times without spaces, and without hundredths", "[00:01.00]<00:01.00>月<00:01.40>亮<1:02>走<00:02:20>",
     {1000}, {"月亮走"}},
    {"what only looks like a word time stays", "[00:01.00]a <b> <1:> <:2> <1:2.> <1:2", {1000},
     {"a <b> <1:> <:2> <1:2.> <1:2"}},
    {"a word time repeated as a time tag makes an entry", "[00:01.00]Twinkle [00:01.40]twinkle", {1000, 1400},
     {"Twinkle twinkle", "Twinkle twinkle"}},
    {"tag on a header line", "[ti:x][00:01.00]y\r\n[00:02.00]z", {1000, 2000}, {"", "z"}},
    {"header filter ignores case", "[TI:S][00:01.00]a\r\n[Offset:5][00:02.00]b\r\n[Arr][00:03.00]c\r\n[bY][00:04.00]d",
     {1000, 2000, 3000, 4000}, {"", "", "", ""}},
    {"marker lines dropped, marker text kept elsewhere", "*****\r\n[00:01.00]x\r\n*****[00:02.00]y",
     {1000, 2000}, {"x", "*****y"}},
    {"Chinese text", "[00:01.00]月光照在河面上", {1000}, {"月光照在河面上"}},
    // The tag pattern works on bytes, the line search on characters: a byte that starts
    // no valid sequence is a character of its own and hides no tag after it.
    {"tag right after a cut-off character", "\xE4\xB8[00:01.00]x", {1000}, {"\xE4\xB8x"}},
    {"tag after a cut-off character takes that line",
     "\xE4\xB8[00:01.00]x\r\n[00:01.00]y", {1000, 1000}, {"\xE4\xB8x", "y"}},
    {"second tag right after a stray lead byte", "[00:01.00]\xF0[00:02.00]", {1000, 2000}, {"\xF0", "\xF0"}},
    {"tag right after a character", "月[00:01.00]光", {1000}, {"月光"}},
    {"dot takes a line feed", "[00:01\n5]x", {1500}, {"x"}},
    {"shorter tag found inside a longer one", "[1:23]4]a\r\n[1:23]b", {83000, 83400}, {"b", "a"}},
    {"a tag on a header line takes the first line holding it", "[ti:x][00:02.00]\r\n[00:02.00]z\r\n[00:02.00]w",
     {2000, 2000, 2000}, {"z", "z", "w"}},
    {"odd tags", "[:x]a\r\n[1:2]]b\r\n[1:]c\r\n[12]d\r\n[1:2.3]e", {0, 62000, 62300}, {"a", "b", "e"}},
    {"offset is stored only", "[offset:500]\r\n[00:01.00]x", {1000}, {"x"}},
    {"no tags", "just words\r\n", {}, {}},
    {"empty", "", {}, {}},
};

TEST(LrcParse, Entries) {
  for (const EntriesCase& c : kEntriesCases) {
    for (const Impl& impl : kImpls) {
      SCOPED_TRACE(std::string(c.name) + " / " + impl.name);
      LyricTimeline t;
      ASSERT_TRUE(impl.parse(c.text, t));
      EXPECT_EQ(t.count, static_cast<int32_t>(c.times.size()));
      EXPECT_EQ(t.timesMs, c.times);
      std::vector<std::string> texts;
      for (size_t i = 0; i < t.textOf.size(); ++i) texts.push_back(t.Text(i));
      EXPECT_EQ(texts, c.texts);
    }
  }
}

struct HeaderCase {
  const char* name;
  std::string text;
  std::string title, artist, album, maker;
  int32_t offsetMs;
};

const HeaderCase kHeaderCases[] = {
    {"all five", "[ti:Song]\r\n[ar:Singer]\r\n[al:Album]\r\n[by:Me]\r\n[offset:500]\r\n[00:01.00]x",
     "Song", "Singer", "Album", "Me", 500},
    {"space stops the value", "[ti:My Song]", "", "", "", "", 0},
    {"keys are case-sensitive", "[TI:Song][AR:x]", "", "", "", "", 0},
    {"greedy up to the last bracket", "[ti:a][ar:b]", "a][ar:b", "b", "", "", 0},
    {"an earlier unclosed run is passed over", "[ti:abc def] [ti:x]", "x", "", "", "", 0},
    {"empty value", "[ti:][al:]", "][al:", "", "", "", 0},
    {"value with a cut-off character before a bracket", "[ti:\xE4\xB8]x]", "\xE4\xB8]x", "", "", "", 0},
    {"negative offset", "[offset:-500]", "", "", "", "", -500},
    {"greedy offset, truncated", "[offset:12.9][offset:1]", "", "", "", "", 12},
    {"negative fraction truncated toward zero", "[offset:-12.9]", "", "", "", "", -12},
    {"offset that is no number", "[offset:abc]", "", "", "", "", 0},
    {"offset beyond 32 bits saturates", "[offset:99999999999]", "", "", "", "", kMax},
    {"negative offset beyond 32 bits", "[offset:-1e12]", "", "", "", "", kMin},
};

TEST(LrcParse, Headers) {
  for (const HeaderCase& c : kHeaderCases) {
    for (const Impl& impl : kImpls) {
      SCOPED_TRACE(std::string(c.name) + " / " + impl.name);
      LyricTimeline t;
      ASSERT_TRUE(impl.parse(c.text, t));
      EXPECT_EQ(t.title, c.title);
      EXPECT_EQ(t.artist, c.artist);
      EXPECT_EQ(t.album, c.album);
      EXPECT_EQ(t.maker, c.maker);
      EXPECT_EQ(t.offsetMs, c.offsetMs);
    }
  }
}

TEST(LrcParse, OverwritesEveryFieldOfAReusedTimeline) {
  for (const Impl& impl : kImpls) {
    SCOPED_TRACE(impl.name);
    LyricTimeline t;
    ASSERT_TRUE(impl.parse("[ti:a][ar:b][al:c][by:d][offset:5]\r\n[00:01.00]x\r\n[00:02.00]y", t));
    ASSERT_EQ(t.count, 2);
    ASSERT_TRUE(impl.parse("", t));
    EXPECT_EQ(t.count, 0);
    EXPECT_EQ(t.title, "");
    EXPECT_EQ(t.artist, "");
    EXPECT_EQ(t.album, "");
    EXPECT_EQ(t.maker, "");
    EXPECT_EQ(t.offsetMs, 0);
    EXPECT_TRUE(t.timesMs.empty());
    EXPECT_TRUE(t.textOf.empty());
  }
}

struct MsCase {
  std::string tag;
  int32_t ms;
};

const MsCase kMsCases[] = {
    {"[00:12.34]", 12340},
    {"[00:12.340]", 12340},
    {"[00:12.5]", 12500},
    {"[00:12.3456]", 12345},
    {"[00:12.05]", 12050},
    {"[01:02]", 62000},
    {"[01:02:03]", 62030},
    {"[1:2.3]", 62300},
    {"[:x]", 0},
    {"[:]", 0},
    {"[1:2]]", 62000},
    {"[1:2]5]", 62500},
    {"[0:0\x81\x35]", 500},
    {"[35791:23.646]", 2147483646},
    {"[35791:23.647]", kMax},
    {"[35791:23.648]", kMax},
    {"[99999999999999999999999999:00.00]", kMax},
    {"[00:99999999999999999999999999.00]", kMax},
    {"[00:00.99999999999999999999999999]", 999},
    {"[1:23", 62000},  // digits up to the end: the last one serves as separator
    {"", -1},
    {"abc", -1},
    {"[12]", -1},
    {"12:30", -1},
    {"[1:", -1},
};

TEST(LrcParse, TagToMs) {
  for (const MsCase& c : kMsCases) {
    for (const Impl& impl : kImpls) {
      SCOPED_TRACE(c.tag + " / " + impl.name);
      EXPECT_EQ(impl.toMs(c.tag), c.ms);
    }
  }
}

}  // namespace
