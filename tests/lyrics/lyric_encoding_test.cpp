// The bytes of a lyric file to the text the parser reads: which files are taken for
// UTF-8, GBK or Big5, the conversion, and the line-end normalisation (which must leave
// CR LF files untouched). Literals here are UTF-8; Gbk() and Big5() give a file's bytes.
#include "lyrics/lyric_encoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lyrics/lrc_parser.h"
#include "text/encoding.h"

namespace {

// A text in a byte encoding, as a file of that encoding holds it (every character of the
// test's texts has its form there).
std::string InCodePage(std::string_view utf8, unsigned codePage) {
  bool complete = false;
  std::string bytes = enc::EncodeCodePage(utf8, codePage, &complete);
  EXPECT_TRUE(complete) << utf8 << " in code page " << codePage;
  return bytes;
}
std::string Gbk(std::string_view utf8) { return InCodePage(utf8, enc::kGbk); }
std::string Big5(std::string_view utf8) { return InCodePage(utf8, enc::kBig5); }

TEST(LyricLineEnds, BareBreaksBecomeCrLf) {
  const struct {
    const char* in;
    const char* out;
  } kCases[] = {
      {"", ""},
      {"abc", "abc"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\rb\r", "a\r\nb\r\n"},
      {"a\r", "a\r\n"},              // a lone CR at the end
      {"\r\r\n", "\r\n\r\n"},        // CR CR LF: a bare CR, then a pair
      {"\n\r", "\r\n\r\n"},          // LF CR: two bare breaks
      {"a\r\n\nb", "a\r\n\r\nb"},    // a pair, then a bare LF
      {"\xD6\r\n", "\xD6\r\n"},      // a stray lead byte before CR LF stays a byte
  };
  for (const auto& c : kCases) EXPECT_EQ(NormalizeLineEnds(c.in), c.out) << c.in;
}

// Every CR LF file of ours (samples, the fuzzer's seeds) is left byte for byte, so its
// parse is what it always was.
TEST(LyricLineEnds, CrLfFilesUnchanged) {
  int checked = 0;
  for (const char* dir : {"samples", "fuzz/corpus/lrc", "tools/lyrics"}) {
    const std::filesystem::path folder = std::filesystem::path(RAVO_SOURCE_DIR) / dir;
    if (!std::filesystem::exists(folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string text = bytes.str();
      std::string withoutPairs = text;
      for (size_t at; (at = withoutPairs.find("\r\n")) != std::string::npos;) withoutPairs.erase(at, 2);
      if (withoutPairs.find_first_of("\r\n") != std::string::npos) continue;  // has bare breaks
      EXPECT_EQ(NormalizeLineEnds(text), text) << entry.path();
      ++checked;
    }
  }
  EXPECT_GE(checked, 5);
}

TEST(LyricEncoding, Detection) {
  const struct {
    const char* name;
    std::string bytes;
    LyricEncoding want;
  } kCases[] = {
      {"empty", "", LyricEncoding::Gbk},
      {"ASCII only", "[00:01.00]la la\r\n", LyricEncoding::Gbk},
      {"UTF-8 lyric", "[00:01.00]月亮在天上\r\n", LyricEncoding::Utf8},
      {"the same in GBK", Gbk("[00:01.00]月亮在天上\r\n"), LyricEncoding::Gbk},
      {"GBK that looks like UTF-8 at first: 联通", Gbk("联通"), LyricEncoding::Gbk},
      {"curly quotes and an ellipsis (second byte 0x80)", "“走”…", LyricEncoding::Utf8},
      {"full-width forms (lead 0xEF)", "，Ｒａｖｏ", LyricEncoding::Utf8},
      {"last two-byte lead 0xDF", "a\xDF\xBF", LyricEncoding::Utf8},
      {"last lead 0xF4, U+10FFFF", "a\xF4\x8F\xBF\xBF", LyricEncoding::Utf8},
      {"overlong four bytes", "a\xF0\x8F\xBF\xBF", LyricEncoding::Gbk},
      {"valid F1 sequence", "a\xF1\x80\x80\x80", LyricEncoding::Utf8},
      {"bad third byte", "a\xE6\x9C\x41", LyricEncoding::Gbk},
      {"Big5 line", Big5("[00:01.00]月亮走，我也走。"), LyricEncoding::Big5},
      // Bytes that are more than one thing: the rule never guesses.
      {"one GBK character that is UTF-8 too: 一 (U+04BB)", Gbk("一"), LyricEncoding::Utf8},
      {"Big5 line that GBK reads as its own text", Big5("星星眨著眼睛"), LyricEncoding::Gbk},
      {"UTF-8 cut inside its last character", std::string("月亮").substr(0, 5), LyricEncoding::Gbk},
      {"overlong slash", "a\xC0\xAF", LyricEncoding::Gbk},
      {"overlong three bytes", "a\xE0\x80\xAF", LyricEncoding::Gbk},
      {"surrogate", "a\xED\xA0\x80", LyricEncoding::Gbk},
      {"beyond U+10FFFF", "a\xF4\x90\x80\x80", LyricEncoding::Gbk},
      {"stray continuation byte", "月" "\x80", LyricEncoding::Gbk},
      {"four-byte character", "a\xF0\x9F\x8E\xB5", LyricEncoding::Utf8},
      {"zero byte inside UTF-8", std::string("月\0亮", 7), LyricEncoding::Utf8},
      {"UTF-8 before a zero byte, GBK after it: no UTF-8", std::string("月\0", 4) + Gbk("月亮"), LyricEncoding::Western},
      {"UTF-8 mark", "\xEF\xBB\xBF" "abc", LyricEncoding::Utf8WithMark},
      {"UTF-16 LE mark", "\xFF\xFE" "a\0", LyricEncoding::Utf16Le},
      {"UTF-16 BE mark", "\xFE\xFF" "\0a", LyricEncoding::Utf16Be},
  };
  for (const auto& c : kCases) EXPECT_EQ(DetectLyricEncoding(c.bytes), c.want) << c.name;
}

TEST(LyricEncoding, Decoding) {
  const struct {
    const char* name;
    std::string bytes;
    std::string want;
  } kCases[] = {
      {"GBK", Gbk("[00:01.00]月亮\r\n"), "[00:01.00]月亮\r\n"},
      {"GBK's own traditional characters", Gbk("[00:01.00]燈火亮起來"), "[00:01.00]燈火亮起來"},
      {"Big5", Big5("[00:01.00]燈火一盞盞亮起來，"), "[00:01.00]燈火一盞盞亮起來，"},
      {"UTF-8 without mark", "[00:01.00]月亮走我也走", "[00:01.00]月亮走我也走"},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + std::string("河水"), "河水"},
      {"UTF-8 with mark, bad byte kept as it is", "\xEF\xBB\xBF" "a\xFF" "b", "a\xFF" "b"},
      {"characters GBK lacks are kept", "a\u00E9\u0E01가😀b", "a\u00E9\u0E01가😀b"},
      {"UTF-16 LE", std::string("\xFF\xFE" "\x08\x67\xAE\x4E", 6), "月亮"},
      {"UTF-16 LE, U+10000 and an emoji", std::string("\xFF\xFE" "\x00\xD8\x00\xDC" "\x3D\xD8\x00\xDE", 10),
       "\U00010000😀"},
      {"UTF-16 LE, a lone surrogate", std::string("\xFF\xFE" "\x00\xD8" "a\0", 6), "\uFFFDa"},
      {"UTF-16 BE, odd last byte", std::string("\xFE\xFF" "\x67\x08" "\x00", 5), "月"},
      {"cut at the first zero after conversion", std::string("\xFF\xFE" "a\0\0\0b\0", 8), "a"},
      {"GBK cut at zero", std::string("ab\0cd", 5), "ab"},
      {"UTF-8 without mark, cut at zero only after the reading", std::string("a\0月亮", 8), "a"},
      {"UTF-16 LE of odd length drops its last byte", std::string("\xFF\xFE" "\x08\x67" "\x41", 5), "月"},
  };
  for (const auto& c : kCases) EXPECT_EQ(DecodeLyricBytes(c.bytes), c.want) << c.name;
}

// Unmarked bytes that are not UTF-8, by the system's code page: the rows that tell the
// Big5 rule and GBK apart byte by byte, and the legacy files of other systems.
TEST(LyricEncoding, BySystemCodePage) {
  const std::string cafe = "[00:01.00]Café au lait, s'il vous plaît\r\n";
  const std::string sakura = "[00:01.00]桜の花が咲いた\r\n";
  const struct {
    const char* name;
    std::string bytes;
    unsigned system;
    LyricEncoding want;
    std::string text;  // the decoded text; empty: not checked
  } kCases[] = {
      {"Big5, trail bytes 7E and FE", Big5("[00:01.00]今年我才知道，你在哪"), 936, LyricEncoding::Big5,
       "[00:01.00]今年我才知道，你在哪"},
      {"Big5 cut inside its last character", Big5("[00:01.00]今年我才知道，你在哪") + "\xA7", 936,
       LyricEncoding::Big5, ""},
      {"Big5, the comma the only marker", Big5("[00:01.00]星星眨著眼睛，"), 936, LyricEncoding::Big5,
       "[00:01.00]星星眨著眼睛，"},
      {"Big5 of AA pairs", Big5("[00:01.00]爸爸的狗"), 936, LyricEncoding::Big5, "[00:01.00]爸爸的狗"},
      {"Big5, one AF pair", Big5("[00:01.00]神"), 936, LyricEncoding::Big5, "[00:01.00]神"},
      {"Big5, one F8 pair", Big5("[00:01.00]囍"), 936, LyricEncoding::Big5, "[00:01.00]囍"},
      {"GBK full-width mark", Gbk("[00:01.00]走！"), 936, LyricEncoding::Gbk, "[00:01.00]走！"},
      {"GBK lead F7", Gbk("[00:01.00]鳌"), 936, LyricEncoding::Gbk, "[00:01.00]鳌"},
      {"GBK trail 54", Gbk("[00:01.00]═"), 936, LyricEncoding::Gbk, "[00:01.00]═"},
      {"GBK C3 C0", Gbk("[00:01.00]美"), 936, LyricEncoding::Gbk, "[00:01.00]美"},
      {"A1 41 C6 A1", "\xA1\x41\xC6\xA1", 936, LyricEncoding::Gbk, ""},
      {"A1 41 80", "\xA1\x41\x80", 936, LyricEncoding::Gbk, ""},
      {"A1 41 81 40", "\xA1\x41\x81\x40", 936, LyricEncoding::Gbk, ""},
      {"EF BB 61", "\xEF\xBB\x61", 936, LyricEncoding::Gbk, ""},
      {"61 E0 9F BF: a character cut off at the end", "\x61\xE0\x9F\xBF", 936, LyricEncoding::Gbk, ""},
      {"61 F5 80 80 80", "\x61\xF5\x80\x80\x80", 936, LyricEncoding::Gbk, ""},
      {"61 FF 41: no GBK pair leads with FF", "\x61\xFF\x41", 936, LyricEncoding::Western, ""},
      {"61 A1 7F: 7F trails no GBK pair", "\x61\xA1\x7F", 936, LyricEncoding::Western, ""},
      {"61 81 20 under 932: neither Shift-JIS nor GBK stays GBK", "\x61\x81\x20", 932, LyricEncoding::Gbk, ""},
      {"1252 under 936: neither GBK nor Big5", InCodePage(cafe, 1252), 936, LyricEncoding::Western, cafe},
      {"1252 under 950", InCodePage(cafe, 1252), 950, LyricEncoding::Western, cafe},
      {"1252 under 1252", InCodePage(cafe, 1252), 1252, LyricEncoding::System, cafe},
      {"1250 under 1250", InCodePage("[00:01.00]Žluťoučký kůň\r\n", 1250), 1250, LyricEncoding::System,
       "[00:01.00]Žluťoučký kůň\r\n"},
      {"GBK under 1252", Gbk("[00:01.00]河水弯弯流过小村\r\n"), 1252, LyricEncoding::Gbk,
       "[00:01.00]河水弯弯流过小村\r\n"},
      {"Big5 under 1252", Big5("[00:01.00]星星眨著眼睛，"), 1252, LyricEncoding::Big5, "[00:01.00]星星眨著眼睛，"},
      {"Shift-JIS under 932", InCodePage(sakura, 932), 932, LyricEncoding::System, sakura},
      {"Shift-JIS cut inside its last character under 932", InCodePage(sakura, 932) + "\x8D", 932,
       LyricEncoding::System, ""},
      {"GBK cut inside its last character under 1252", Gbk("[00:01.00]河水弯弯流过小村") + "\xD4", 1252,
       LyricEncoding::Gbk, ""},
      {"GBK with the euro byte, cut inside its last character", Gbk("[00:01.00]10€") + "\xD4", 936,
       LyricEncoding::Gbk, ""},
      {"GBK that is no Shift-JIS under 932", Gbk("[00:01.00]河水弯弯流过小村\r\n"), 932, LyricEncoding::Gbk,
       "[00:01.00]河水弯弯流过小村\r\n"},
      {"Korean under 949", InCodePage("[00:01.00]아리랑 고개\r\n", 949), 949, LyricEncoding::System,
       "[00:01.00]아리랑 고개\r\n"},
      {"Shift-JIS under 936 reads as GBK, as always", InCodePage(sakura, 932), 936, LyricEncoding::Gbk, ""},
      {"UTF-8 under 1252", sakura, 1252, LyricEncoding::Utf8, sakura},
      {"an unknown code page reads nothing as GBK", InCodePage(cafe, 1252), 65000 + 999, LyricEncoding::System,
       ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(DetectLyricEncoding(c.bytes, c.system), c.want) << c.name;
    if (!c.text.empty()) {
      EXPECT_EQ(DecodeLyricBytes(c.bytes, c.system), c.text) << c.name;
    }
  }
  EXPECT_EQ(DecodeLyricBytes("a\xE9", 65999), "a\uFFFD");
}

// Lines of our own.
const char* const kOwnLines[] = {
    "月亮走我也走", "河水弯弯流过小村", "山上的风吹过小路", "灯火一盏盏亮起来", "慢慢走回家",
    "你听那远方的歌声", "春天的花开满山坡", "我们一起唱到天亮", "雨落在屋檐上", "妈妈做的饭最香",
    "门前一条小河", "天边飞过一群大雁", "星星眨着眼睛", "船儿摇啊摇", "秋风吹黄了稻田",
    "冬天的雪花飘", "老树下说故事", "朋友请你别走", "路上的灯为你留", "明天还会再见",
    "心里的话说给你听", "远方有一片海", "唱一首小小的歌", "太阳出来了", "花儿对我笑",
    "小鸟在枝头唱", "风筝飞得高又高", "一起去看日出", "夜深了人静了", "梦里回到故乡",
    "联通", "马甲变歌词", "（间奏）", "——", "作词：我们自己", "作曲：我们自己", "Ｒａｖｏ", "啦啦啦～",
};

// Traditional lines of our own, as sung in Taiwan and Hong Kong (the short ones too).
const char* const kTraditionalLines[] = {
    "月亮走我也走", "河水彎彎流過小村", "山上的風吹過小路", "燈火一盞盞亮起來", "慢慢走回家",
    "你聽那遠方的歌聲", "春天的花開滿山坡", "我們一起唱到天亮", "雨落在屋簷上", "媽媽做的飯最香",
    "門前一條小河", "天邊飛過一群大雁", "星星眨著眼睛", "船兒搖啊搖", "秋風吹黃了稻田",
    "冬天的雪花飄", "老樹下說故事", "朋友請你別走", "路上的燈為你留", "明天還會再見",
    "心裡的話說給你聽", "遠方有一片海", "唱一首小小的歌", "太陽出來了", "花兒對我笑",
    "（間奏）", "作詞：我們自己", "一", "我", "小河",
};

TEST(LyricEncoding, GbkLyricsStayGbk) {
  // Each line alone, each line as an LRC line, and whole generated songs.
  std::vector<std::string> corpus;
  for (const char* line : kOwnLines) {
    corpus.push_back(Gbk(line));
    corpus.push_back(Gbk(std::string("[00:12.34]") + line + "\r\n"));
  }
  std::mt19937 rng(936);
  for (int song = 0; song < 300; ++song) {
    std::string lrc = "[ti:" + std::string(kOwnLines[song % 30]) + "]\r\n";
    const int lines = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < lines; ++i) {
      lrc += "[0" + std::to_string(i % 10) + ":1" + std::to_string(i % 6) + ".00]";
      lrc += kOwnLines[rng() % std::size(kOwnLines)];
      lrc += "\r\n";
    }
    corpus.push_back(Gbk(lrc));
  }
  // And random lines of the common characters (GB2312 level 1, rows B0-D7), as long as
  // a sung line (a run of two or three may well be valid UTF-8 by chance: only whole
  // lines and files are judged).
  for (int i = 0; i < 500; ++i) {
    std::string s;
    const int n = 8 + static_cast<int>(rng() % 12);
    for (int k = 0; k < n; ++k) {
      s += static_cast<char>(0xB0 + rng() % 0x28);
      s += static_cast<char>(0xA1 + rng() % 0x5E);
    }
    corpus.push_back(s);
  }
  // GBK's own traditional characters, as a GBK editor on a Simplified system writes a
  // Taiwanese song, and random lines of every GBK character of the traditional rows.
  // (GBK's 一 alone, D2 BB, is also the UTF-8 of U+04BB: see the detection table.)
  for (const std::string line : kTraditionalLines) {
    if (line == "一") continue;
    corpus.push_back(Gbk(line));
    corpus.push_back(Gbk("[01:02.03]" + line + "\r\n"));
  }
  for (int i = 0; i < 300; ++i) {
    std::string s;
    const int n = 6 + static_cast<int>(rng() % 14);
    while (static_cast<int>(s.size()) < 2 * n) {
      // Trail 40-A0: GBK/3 (lead 81-A0), GBK/5 (A8-A9) and GBK/4 (AA-FE); leads A1-A7
      // there are the user-defined area, which no input method writes.
      const auto lead = static_cast<unsigned char>(0x81 + rng() % 0x7E);
      const int trail = 0x40 + static_cast<int>(rng() % 0x60);
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail == 0x7F ? 0x80 : trail)};
      if ((lead < 0xA1 || lead > 0xA7) && enc::IsValidInCodePage({pair, 2}, enc::kGbk)) s.append(pair, 2);
    }
    corpus.push_back(s);
  }
  int wrong = 0;
  for (const std::string& text : corpus) {
    if (DetectLyricEncoding(text) != LyricEncoding::Gbk) {
      ++wrong;
      ADD_FAILURE() << "not taken for GBK: " << testing::PrintToString(text);
    }
  }
  EXPECT_EQ(wrong, 0) << "of " << corpus.size();
  EXPECT_GE(corpus.size(), 1200u);
}

// Big5 lines in which GBK finds no pair of its user-defined areas (no Big5 punctuation,
// none of Big5's commonest characters) are GBK text as well: nothing tells them apart,
// and they stay GBK.
bool IsGbkToo(std::string_view big5Line) {
  return big5Line == "星星眨著眼睛" || big5Line == "船兒搖啊搖" || big5Line == "我";
}

// Big5 files of our own traditional lines read as Big5: every line with its line tag,
// and whole songs, unless all their lines are GBK text as well.
TEST(LyricEncoding, Big5LyricsReadAsBig5) {
  struct Song {
    std::string text;
    bool gbkToo = true;
  };
  std::vector<Song> songs;
  for (const char* line : kTraditionalLines)
    songs.push_back({std::string("[00:12.34]") + line + "\r\n", IsGbkToo(line)});
  std::mt19937 rng(950);
  for (int song = 0; song < 200; ++song) {
    const char* title = kTraditionalLines[song % std::size(kTraditionalLines)];
    Song s{"[ti:" + std::string(title) + "]\r\n", IsGbkToo(title)};
    const int lines = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < lines; ++i) {
      const char* line = kTraditionalLines[rng() % std::size(kTraditionalLines)];
      s.text += "[00:1" + std::to_string(i % 10) + ".00]" + line + "\r\n";
      s.gbkToo = s.gbkToo && IsGbkToo(line);
    }
    songs.push_back(s);
  }
  int big5 = 0, gbkToo = 0;
  for (const Song& song : songs) {
    const std::string bytes = Big5(song.text);
    if (song.gbkToo) {
      ++gbkToo;
      EXPECT_EQ(DetectLyricEncoding(bytes), LyricEncoding::Gbk) << song.text;
    } else {
      ++big5;
      EXPECT_EQ(DetectLyricEncoding(bytes), LyricEncoding::Big5) << song.text;
      EXPECT_EQ(DecodeLyricBytes(bytes), song.text);
    }
  }
  // The three lines alone; every generated song holds another line.
  EXPECT_EQ(gbkToo, 3) << big5 << " of " << songs.size() << " read as Big5";
}

// The whole load path on a song saved three ways: the same table every time.
TEST(LyricEncoding, OneSongAnyForm) {
  const std::string crlf = "[ti:x]\r\n[00:01.00]月亮走\r\n\r\n[00:02.50]我也走\r\n";
  LyricTimeline want;
  ASSERT_TRUE(parseLrc(crlf, want));
  ASSERT_EQ(want.count, 2);
  EXPECT_EQ(want.Text(1), "我也走");  // no line feed of the blank line before it
  const std::string forms[] = {  // UTF-8 with LF, UTF-8 with CR, UTF-8 with a mark, GBK
      "[ti:x]\n[00:01.00]月亮走\n\n[00:02.50]我也走\n",
      "[ti:x]\r[00:01.00]月亮走\r\r[00:02.50]我也走\r",
      "\xEF\xBB\xBF" + std::string("[ti:x]\r\n[00:01.00]月亮走\r\n\r\n[00:02.50]我也走\r\n"),
      Gbk("[ti:x]\n[00:01.00]月亮走\n\n[00:02.50]我也走\n"),
  };
  for (const std::string& bytes : forms) {
    LyricTimeline got;
    ASSERT_TRUE(parseLrc(LyricFileText(bytes), got));
    EXPECT_EQ(got.timesMs, want.timesMs);
    ASSERT_EQ(got.count, want.count);
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(got.Text(i), want.Text(i));
  }
}

TEST(LyricTimelineDue, OffsetShiftsEveryLine) {
  const struct {
    int32_t stamp, offset, due;
  } kCases[] = {
      {1000, 0, 1000}, {1000, 500, 500}, {1000, -500, 1500}, {300, 500, 0},
      {0, -250, 250},  {INT32_MAX, -1000, INT32_MAX},         {5, INT32_MIN, INT32_MAX},
  };
  for (const auto& c : kCases) {
    LyricTimeline t;
    t.timesMs = {c.stamp};
    t.offsetMs = c.offset;
    EXPECT_EQ(t.DueMs(0), c.due) << c.stamp << " " << c.offset;
  }
}

}  // namespace
