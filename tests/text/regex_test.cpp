#include "text/regex.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>

#include <string>
#include <utility>
#include <vector>

namespace {

using std::string;

std::vector<int32_t> Positions(const std::vector<utf8::RegexMatch>& matches) {
  std::vector<int32_t> positions;
  for (const auto& m : matches) positions.push_back(m.position);
  return positions;
}

std::vector<string> Texts(const std::vector<utf8::RegexMatch>& matches) {
  std::vector<string> texts;
  for (const auto& m : matches) texts.push_back(m.text);
  return texts;
}

// The blank-line marker of the lyric parser: which lines a "^" may start decides which
// blank runs become "*****".
TEST(RegexTest, BlankRunMarkerFollowsLineBreakRules) {
  const utf8::Regex blankRun("^[\\s| ]*\r");
  ASSERT_TRUE(blankRun.Valid());
  const std::vector<std::pair<string, string>> cases = {
      {"a\r\n\r\nb", "a\r\n*****\r\n\nb"},
      {"a\r\n  \r\n\r\nb", "a\r\n*****\r\n\nb"},  // a run of blank lines is one marker
      {"\r\nx", "*****\r\n\nx"},                 // start of the text
      {"a\rb", "a\rb"},                          // no blank line at all
      {"a\r\rb", "a\r*****\r\nb"},               // after a lone CR
      {"a\n\r\nb", "a\n*****\r\n\nb"},           // after a lone LF
      {"a\r\n | \r\nb", "a\r\n*****\r\n\nb"},    // "|" counts as blank
      {"a\r\n\r", "a\r\n*****\r\n"},
      {"a\f\r\nb", "a\f\r\nb"},                  // \f is blank but no line break
      {"a\n\f\r\nb", "a\n*****\r\n\nb"},
      {"x\u0085\r\nb", "x\u0085\r\nb"},          // U+0085 (C2 85) is no line break
      {"a\n\u0085\r\nb", "a\n\u0085\r\nb"},      // and no blank either
      {"a\n\u3000\r\nb", "a\n\u3000\r\nb"},      // nor is the ideographic space
      {"", ""},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(blankRun.ReplaceAll(text, "*****\r\n"), expected);
  }
}

TEST(RegexTest, LineStartsAndEnds) {
  const string text = "a\nb\r\nc\rd\fe";  // LF, CR LF, lone CR, form feed
  EXPECT_EQ(Positions(utf8::Regex("^").FindAll(text)), (std::vector<int32_t>{1, 3, 6, 8}));
  // Line ends: before the LF, before the CR of CR LF (not inside it), before a lone CR,
  // at the end of the text.
  EXPECT_EQ(Positions(utf8::Regex("$").FindAll(text)), (std::vector<int32_t>{2, 4, 7, 11}));
  EXPECT_EQ(Texts(utf8::Regex("^.$").FindAll(text)), (std::vector<string>{"a", "b", "c"}));
  EXPECT_EQ(Texts(utf8::Regex("(?m)^\\w").FindAll("x\fy\nz")), (std::vector<string>{"x", "z"}));
}

TEST(RegexTest, FindFirstFromAStartSeesTheTextBefore) {
  struct Case {
    string pattern;
    string text;
    int32_t start;
    int32_t position;  // 0: no match
    string matched;
  };
  const std::vector<Case> cases = {
      {"^c", "ab\ncd", 4, 4, "c"},
      {"^c", "ab\ncd", 5, 0, ""},
      {"^b", "ab", 2, 0, ""},  // start is not the beginning of a line
      {"\\Ab", "ab", 2, 0, ""},
      {"(?<=a)b", "ab", 2, 2, "b"},
      {"\\bb", "ab b", 2, 4, "b"},  // no word boundary between a and b
      // At the first byte nothing before the text may be read (a heap text, so that the
      // address sanitizer would see such a read).
      {"\\bab|(?<=x)ab", "ab, a text long enough to live on the heap", 1, 1, "ab"},
      {"b", "abab", 3, 4, "b"},
      {"$", "ab", 3, 3, ""},
      {"^", "", 1, 1, ""},
      {"a", "ab", 0, 0, ""},
      {"a", "ab", -1, 0, ""},
      {"$", "ab", 4, 0, ""},
      {".", "ab", 2147483647, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern + " in " + testing::PrintToString(c.text) + " from " +
                 std::to_string(c.start));
    const auto m = utf8::Regex(c.pattern).FindFirst(c.text, c.start);
    if (c.position == 0) {
      EXPECT_FALSE(m.has_value());
    } else {
      ASSERT_TRUE(m.has_value());
      EXPECT_EQ(m->position, c.position);
      EXPECT_EQ(m->text, c.matched);
    }
  }
}

TEST(RegexTest, Groups) {
  const auto m = utf8::Regex("(\\d+):(\\d+)(x)?").FindFirst("at 12:34.");
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->position, 4);
  EXPECT_EQ(m->text, "12:34");
  EXPECT_EQ(m->groups, (std::vector<string>{"12", "34", ""}));
  EXPECT_EQ(m->Group(0), "12:34");
  EXPECT_EQ(m->Group(2), "34");
  EXPECT_EQ(m->Group(3), "");
  EXPECT_EQ(m->Group(4), "");
  EXPECT_EQ(m->Group(-1), "");
}

TEST(RegexTest, FindAllInTextOrderWithoutOverlaps) {
  const utf8::Regex tag("\\[[0-9]*:[0-9]*.[0-9]*\\]");
  const string lrc = "[ti:歌]\r\n[00:12.34]一[01:02]二\r\n[00:01.00][:]三";
  const auto tags = tag.FindAll(lrc);
  EXPECT_EQ(Texts(tags), (std::vector<string>{"[00:12.34]", "[01:02]", "[00:01.00]"}));
  EXPECT_EQ(Positions(tags), (std::vector<int32_t>{11, 24, 36}));  // bytes: 歌 and 一 take three
  EXPECT_EQ(Texts(utf8::Regex("aa").FindAll("aaaaa")), (std::vector<string>{"aa", "aa"}));
  // Empty matches: each place once, and a non-empty match may follow at the same place.
  EXPECT_EQ(Texts(utf8::Regex("a*").FindAll("baac")), (std::vector<string>{"", "aa", "", ""}));
  EXPECT_EQ(Positions(utf8::Regex("a*").FindAll("baac")), (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(Positions(utf8::Regex("x*").FindAll("")), (std::vector<int32_t>{1}));
  EXPECT_EQ(utf8::Regex("a*").ReplaceAll("baac", "-"), "-b--c-");
}

TEST(RegexTest, DotMatchesEveryByte) {
  const string bytes("a\r\n\0\xD6\xD0\x85\f", 8);
  EXPECT_EQ(utf8::Regex(".").ReplaceAll(bytes, "x"), "xxxxxxxx");
  const auto m = utf8::Regex("a.*\f").FindFirst(bytes);
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->text, bytes);
}

TEST(RegexTest, ClassesAreTheCLocaleOnes) {
  const utf8::Regex space("\\s"), nonSpace("\\S"), posixSpace("[[:space:]]"), word("\\w");
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const string one(1, static_cast<char>(b));
    const bool isSpace = b == ' ' || (b >= '\t' && b <= '\r');
    EXPECT_EQ(space.FindFirst(one).has_value(), isSpace);
    EXPECT_EQ(nonSpace.FindFirst(one).has_value(), !isSpace);
    EXPECT_EQ(posixSpace.FindFirst(one).has_value(), isSpace);
    if (b >= 0x80) {
      EXPECT_FALSE(word.FindFirst(one).has_value());
    }
  }
  // \S* stops at a blank and runs over the bytes of multi-byte characters, U+0085 and
  // U+3000 included.
  const auto title = utf8::Regex("\\[ti:\\S*\\]").FindFirst("[ti:中文\u0085\u3000]\r\n");
  ASSERT_TRUE(title.has_value());
  EXPECT_EQ(title->text, "[ti:中文\u0085\u3000]");
  EXPECT_FALSE(utf8::Regex("\\[ti:\\S*\\]").FindFirst("[ti:My Song]").has_value());
}

// Multi-byte characters inside patterns: bytes match bytes (raw bytes may match inside a
// character), a character stays one literal, and a byte that starts no valid sequence is
// a literal byte of its own.
TEST(RegexTest, MultiByteCharactersInPatterns) {
  const auto across = utf8::Regex("\xAD\xE6").FindFirst("中文");  // E4 B8 AD, E6 96 87
  ASSERT_TRUE(across.has_value());
  EXPECT_EQ(across->position, 3);

  struct Case {
    string pattern;
    string text;
    string matched;  // "" = no match
  };
  const std::vector<Case> cases = {
      {"中+", "x中中中y", "中中中"},  // a quantifier repeats the whole character
      {"中{2}", "中中中", "中中"},
      {"中?x", "\xE4\xB8x", "x"},     // ... and makes the whole character optional
      {"𠮷+", "x𠮷𠮷y", "𠮷𠮷"},       // four bytes, beyond the BMP
      {"\\中", "a中", "中"},
      {"\\Q中.\\E", "中x中.", "中."},  // quoted: the character, then a literal dot
      {"\xE4\xB8+", "\xE4\xB8\xB8\xAD", "\xE4\xB8\xB8"},  // a cut-off character: + takes its last byte
      {"\xFF+", "a\xFF\xFF" "b", "\xFF\xFF"},
      {"[\x80-\xFF]+", "ab中文c", "中文"},  // raw bytes in a set stay single bytes
      {"[中]", "x\xADy", "\xAD"},          // ... and so do the bytes of a character in a set
      {"LRC歌词下载</a>", "<a>x LRC歌词下载</a>", "LRC歌词下载</a>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.pattern) + " in " + testing::PrintToString(c.text));
    const utf8::Regex re(c.pattern);
    ASSERT_TRUE(re.Valid());
    const auto m = re.FindFirst(c.text);
    EXPECT_EQ(m.has_value() ? m->text : string(), c.matched);
  }
}

// "^" and "$" are anchors only where Perl reads them as anchors.
TEST(RegexTest, AnchorsInsideOtherSyntaxStayLiteral) {
  const std::vector<std::pair<string, string>> cases = {
      // pattern, the whole match expected in "x^]$\\[ab\r"
      {"[^x]+", "^]$\\[ab\r"},
      {"[]^]+", "^]"},
      {"[\\]^]+", "^]"},
      {"[[:alpha:]^]+", "x^"},
      {"\\^\\]\\$", "^]$"},
      {"\\Q^]$\\E", "^]$"},
      {"\\x{5E}]\\x24", "^]$"},
      {"(?#^)x", "x"},
      {"[$]", "$"},
      {"(?<=^x)\\^", "^"},
  };
  const string text = "x^]$\\[ab\r";
  for (const auto& [pattern, expected] : cases) {
    SCOPED_TRACE(pattern);
    const utf8::Regex re(pattern);
    ASSERT_TRUE(re.Valid());
    const auto m = re.FindFirst(text);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->text, expected);
  }
}

TEST(RegexTest, ReplacementIsLiteral) {
  EXPECT_EQ(utf8::Regex("(b)").ReplaceAll("abcb", "$1\\&$&"), "a$1\\&$&c$1\\&$&");
  EXPECT_EQ(utf8::Regex("b").ReplaceAll("abc", ""), "ac");
  EXPECT_EQ(utf8::Regex("z").ReplaceAll("abc", "y"), "abc");
}

TEST(RegexTest, InvalidPatternMatchesNothing) {
  for (const string pattern : {"(", "[a", "a{2,1}", "\\", "(?<=a+)b", "*a", "\\Q(\\E)"}) {
    SCOPED_TRACE(pattern);
    const utf8::Regex re(pattern);
    EXPECT_FALSE(re.Valid());
    EXPECT_FALSE(re.FindFirst("a(b)*a").has_value());
    EXPECT_TRUE(re.FindAll("a(b)*a").empty());
    EXPECT_EQ(re.ReplaceAll("a(b)*a", "x"), "a(b)*a");
  }
}

TEST(RegexTest, EngineLimitsCountAsNoFurtherMatch) {
  const string pattern = "(a+)+b";
  const string hopeless(1000, 'a');
  {
    // The case really drives the engine into its complexity bound.
    const boost::regex raw(pattern);
    boost::smatch m;
    EXPECT_ANY_THROW(boost::regex_search(hopeless, m, raw));
  }
  const utf8::Regex re(pattern);
  EXPECT_FALSE(re.FindFirst(hopeless).has_value());
  EXPECT_TRUE(re.FindAll(hopeless).empty());
  const string text = "aab-" + hopeless;
  EXPECT_EQ(Texts(re.FindAll(text)), (std::vector<string>{"aab"}));
  EXPECT_EQ(re.ReplaceAll(text, "X"), "X-" + hopeless);
}

TEST(RegexTest, MovedRegexKeepsItsPattern) {
  utf8::Regex a("b+");
  utf8::Regex b(std::move(a));
  ASSERT_TRUE(b.Valid());
  EXPECT_EQ(b.FindFirst("abbc").value().text, "bb");
  a = utf8::Regex("c");
  EXPECT_EQ(a.FindFirst("abbc").value().position, 4);
}

}  // namespace
