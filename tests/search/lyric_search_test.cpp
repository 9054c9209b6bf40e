// The window-free parts of the online lyric search: keyword escaping, reading result
// pages, preview rows and the saved file's name.
#include "search/lyric_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static void PrintTo(const LyricHit& h, std::ostream* os) {
  *os << "{song '" << h.song << "', singer '" << h.singer << "', link '" << h.link << "'}";
}
static void PrintTo(const PreviewRow& r, std::ostream* os) { *os << "{'" << r.time << "', '" << r.text << "'}"; }

namespace {

// ---- keyword escaping ----

struct EscapeCase {
  const char* what;
  std::string utf8;
  std::string escaped;
};

TEST(LyricSearchEscape, EscapesEveryByteButTheListedOnes) {
  const EscapeCase cases[] = {
      {"a Chinese character, byte by byte", "\u4e2d" /* 中 */ "", "%E4%B8%AD"},
      {"space and plus", "a b+c", "a%20b%2Bc"},
      {"the seven punctuation marks kept", "*,-./@_", "*,-./@_"},
      {"letters and digits kept", "AZaz09Mm5", "AZaz09Mm5"},
      {"neighbours of the kept ranges", "+:?[`{~", "%2B%3A%3F%5B%60%7B%7E"},
      {"control bytes get a leading zero", std::string("\x00\x01\x0f", 3), "%00%01%0F"},
      {"high bytes in upper case", "\x80\xff\xab", "%80%FF%AB"},
      {"query syntax is escaped", "a&b=c%d#e", "a%26b%3Dc%25d%23e"},
      {"empty", "", ""},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(EscapeKeywordBytes(c.utf8), c.escaped) << c.what;
}

TEST(LyricSearchEscape, EachByteComesBackFromItsEscape) {
  const std::string kept = "*,-./0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
  for (int b = 0; b < 256; ++b) {
    const std::string in(1, static_cast<char>(b));
    const std::string out = EscapeKeywordBytes(in);
    if (kept.find(static_cast<char>(b)) != std::string::npos) {
      EXPECT_EQ(out, in) << "byte " << b;
    } else {
      ASSERT_EQ(out.size(), 3u) << "byte " << b;
      EXPECT_EQ(out[0], '%');
      EXPECT_EQ(std::stoi(out.substr(1), nullptr, 16), b);
      for (const char d : out.substr(1)) EXPECT_FALSE(d >= 'a' && d <= 'f') << "byte " << b;
    }
  }
}

TEST(LyricSearchEscape, SearchUrlPutsTheKeywordBetweenTheFixedParts) {
  EXPECT_EQ(SearchUrl("127.0.0.1:18610", "%E4%B8%AD"), "http://127.0.0.1:18610/?keyword=%E4%B8%AD&field=all");
  EXPECT_EQ(SearchUrl("lyrics.example", ""), "http://lyrics.example/?keyword=&field=all");
}

// ---- result pages ----

std::string Hit(const std::string& link, const std::string& name) {
  return "<font size=\"-1\"><span>" + link + "</font> <a href=\"" + link + "\">" + name + "LRC歌词下载</a>\r\n";
}

struct PageCase {
  const char* what;
  std::string page;
  std::vector<LyricHit> hits;
};

TEST(LyricSearchScrape, ReadsNamesAndLinks) {
  const PageCase cases[] = {
      {"two hits in page order",
       "<html><body>结果\r\n" + Hit("http://h/1.lrc", "林木 山间小路 ") + "<p>" + Hit("http://h/2.lrc", "江水 月光河 ") +
           "</body></html>",
       {{"山间小路", "林木", "http://h/1.lrc"}, {"月光河", "江水", "http://h/2.lrc"}}},
      {"no space before the caption", Hit("u", "歌手 歌名"), {{"歌名", "歌手", "u"}}},
      {"a trailing space makes no empty piece", Hit("u", "歌手 歌名 "), {{"歌名", "歌手", "u"}}},
      {"two spaces: empty song, singer kept", Hit("u", "歌手  歌名"), {{"", "歌手", "u"}}},
      {"pieces after the second are ignored", Hit("u", "Nora Harbor Lights "), {{"Harbor", "Nora", "u"}}},
      {"one piece: the whole name is the song", Hit("u", "独唱"), {{"独唱", "", "u"}}},
      {"one piece with a trailing space", Hit("u", "独唱 "), {{"独唱 ", "", "u"}}},
      {"an empty name", Hit("u", ""), {{"", "", "u"}}},
      {"an ideographic space is no separator", Hit("u", "歌手\u3000歌名"), {{"歌手\u3000歌名", "", "u"}}},
      {"a space after a cut-off character is a separator", Hit("u", "\xE4\xB8 x"), {{"x", "\xE4\xB8", "u"}}},
      {"line breaks inside a hit", "<font size=\"-1\">\r\n<b>L</font>\r\n<i>\r\n>甲 乙 LRC歌词下载</a>",
       {{"乙", "甲", "L"}}},
      {"no \">\" in the item: name is the item, no link", "<font size=\"-1\">甲 乙 LRC歌词下载</a>",
       {{"乙", "甲", ""}}},
      {"a \">\" only at the item's first character is no link start",
       "<font size=\"-1\">>x</font>甲 乙 LRC歌词下载</a>", {{"乙", "甲", ""}}},
      {"no link end: no link", "<font size=\"-1\"><a>甲 乙 LRC歌词下载</a>", {{"乙", "甲", ""}}},
      {"the link end before the link start: no link", "<font size=\"-1\"></font><a>甲 乙 LRC歌词下载</a>",
       {{"乙", "甲", ""}}},
      {"the caption without its closing tag is no hit", "<font size=\"-1\"><a>甲 乙 LRC歌词下载", {}},
      {"another font size is no hit", "<font size=\"+1\"><a>甲 乙 LRC歌词下载</a>", {}},
      {"an empty page", "", {}},
  };
  for (const PageCase& c : cases) EXPECT_EQ(ScrapeResultPage(c.page), c.hits) << c.what;

  std::string crowded;
  for (size_t i = 0; i <= kMaxResultHits; ++i) crowded += Hit("u" + std::to_string(i), "歌手 歌名");
  const std::vector<LyricHit> hits = ScrapeResultPage(crowded);
  ASSERT_EQ(hits.size(), kMaxResultHits);
  EXPECT_EQ(hits.back().link, "u" + std::to_string(kMaxResultHits - 1));
}

TEST(LyricSearchScrape, NoResultMarkerIsFoundAnywhereAtCharacterStarts) {
  struct Case {
    const char* what;
    std::string page;
    bool noResult;
  };
  const Case cases[] = {
      {"the site's no-result page", "<p>没有找到相关的歌词</p>", true},
      {"next to hits", Hit("u", "甲 乙") + "没有找到相关" + Hit("v", "丙 丁"), true},
      {"at the very end", "....没有找到相关", true},
      {"hits only", Hit("u", "甲 乙"), false},
      {"part of the marker", "没有找到", false},
      {"a cut-off character before the marker hides nothing", "\xE4\xB8没有找到相关", true},
      {"empty", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsNoResultPage(c.page), c.noResult) << c.what;
}

// ---- preview rows ----

TEST(LyricSearchPreview, SplitsLinesAtCrLfAndTheFirstBrackets) {
  struct Case {
    const char* what;
    std::string lyric;
    std::vector<PreviewRow> rows;
  };
  const Case cases[] = {
      {"time and text", "[00:12.34]晨风\r\n[00:15.00]second\r\n", {{"[00:12.34", "晨风"}, {"[00:15.00", "second"}}},
      {"a header line is one piece and not shown", "[ti:山间小路]\r\n[00:01.00]a", {{"[00:01.00", "a"}}},
      {"two time tags: the second in the text column", "[00:01.00][00:09.00]副歌", {{"[00:01.00", "[00:09.00"}}},
      {"an empty text after the tag is no second piece", "[00:30.00]\r\n", {}},
      {"LF alone does not end a line", "[00:01]a\n[00:02]b", {{"[00:01", "a\n[00:02"}}},
      {"text before any bracket", "x]y", {{"x", "y"}}},
      {"a leading bracket gives an empty time", "]y", {{"", "y"}}},
      {"lines without a bracket are skipped", "plain\r\n\r\n[00:03]c\r\n", {{"[00:03", "c"}}},
      {"a full-width bracket does not split", "[00:04]歌］z", {{"[00:04", "歌］z"}}},
      {"a bracket after a cut-off character splits", "[00:04]\xE4\xB8]z", {{"[00:04", "\xE4\xB8"}}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitPreviewRows(c.lyric), c.rows) << c.what;
}

TEST(LyricSearchPreview, AtMostTheBoundAndSaysWhenCut) {
  const std::string lyric = "[1]a\r\nno bracket\r\n[2]b\r\n[3]\r\n[4]c\r\n";
  const struct {
    size_t bound;
    std::vector<PreviewRow> rows;
    bool cut;
  } cases[] = {
      {0, {}, true},
      {2, {{"[1", "a"}, {"[2", "b"}}, true},
      {3, {{"[1", "a"}, {"[2", "b"}, {"[4", "c"}}, false},  // a line without a row is not cut off
      {4, {{"[1", "a"}, {"[2", "b"}, {"[4", "c"}}, false},
  };
  for (const auto& c : cases) {
    bool cut = !c.cut;
    EXPECT_EQ(SplitPreviewRows(lyric, c.bound, &cut), c.rows) << c.bound;
    EXPECT_EQ(cut, c.cut) << c.bound;
  }
}

// ---- the saved file's name (the rule itself is tested in tests/text) ----

TEST(LyricSearchFileName, TitleGoesThroughTheFileNameRule) {
  EXPECT_EQ(LyricFileName("山间小路"), "山间小路.lrc");
  EXPECT_EQ(LyricFileName("..\\x"), ".._x.lrc");
  EXPECT_EQ(LyricFileName("nul"), "_nul.lrc");
  EXPECT_EQ(LyricFileName(".."), "");
}

}  // namespace
