#include "text/utf8_text.h"

#include "text/encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using std::string;

constexpr int32_t kMaxI32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinI32 = std::numeric_limits<int32_t>::min();

TEST(Utf8TextTest, ChineseLiteralsAreUtf8) {
  EXPECT_EQ(string("中文"), "\xE4\xB8\xAD\xE6\x96\x87");
  EXPECT_EQ(utf8::Len("中文"), 6);
}

struct SliceCase {
  string s;
  int32_t a;
  int32_t b;
  string left, right, mid;  // Left(s, a), Right(s, a), Mid(s, a, b)
};

TEST(Utf8TextTest, LeftRightMid) {
  const std::vector<SliceCase> cases = {
      {"abcdef", 2, 3, "ab", "ef", "bcd"},
      {"abcdef", 6, 1, "abcdef", "abcdef", "f"},
      {"abcdef", 7, 1, "abcdef", "abcdef", ""},  // start just past the end
      {"abcdef", 0, 2, "", "", ""},
      {"abcdef", -3, 2, "", "", ""},
      {"abcdef", 1, -1, "a", "f", ""},
      {"abcdef", 5, kMaxI32, "abcde", "bcdef", "ef"},
      {"abcdef", kMaxI32, kMaxI32, "abcdef", "abcdef", ""},
      {"abcdef", kMinI32, kMaxI32, "", "", ""},
      {"", 1, 1, "", "", ""},
      {"中文", 4, 3, "中\xE6", "\xAD文", "文"},  // byte positions, not characters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s + " a=" + std::to_string(c.a) + " b=" + std::to_string(c.b));
    EXPECT_EQ(utf8::Left(c.s, c.a), c.left);
    EXPECT_EQ(utf8::Right(c.s, c.a), c.right);
    EXPECT_EQ(utf8::Mid(c.s, c.a, c.b), c.mid);
  }
}

struct FindCase {
  string hay, needle;
  int32_t start;
  bool ignoreCase;
  int32_t expected;
};

TEST(Utf8TextTest, FindStepsOverMultiByteCharacters) {
  const std::vector<FindCase> cases = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 6, false, -1},
      {"abcabc", "abcabcd", 1, false, -1},
      {"abc", "", 1, false, -1},
      {"abc", "a", 0, false, -1},
      {"abc", "a", -7, false, -1},
      {"abc", "c", 4, false, -1},
      {"abc", "c", kMaxI32, false, -1},
      {"", "a", 1, false, -1},
      {"中文", "形", 1, false, -1},
      {"a中文形", "形", 1, false, 8},
      {"中中", "中", 2, false, 4},  // start inside a character: the next character start
      {"ab\xE4", "\xE4", 1, false, 3},  // a character cut off at the end is a byte of its own
      {"ab\xE4", "b\xE4", 1, false, 2},
      {"\xE4\xB8" "a", "a", 1, false, 3},
      {"xABC", "abc", 1, true, 2},
      {"xABC", "abc", 1, false, -1},
      {"Ａ", "ａ", 1, true, -1},  // only ASCII letters are folded
      {"Ａa", "A", 1, true, 4},
      {"[TI:x]", "[ti", 1, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("hay=" + c.hay + " needle=" + c.needle + " start=" + std::to_string(c.start));
    EXPECT_EQ(utf8::Find(c.hay, c.needle, c.start, c.ignoreCase), c.expected);
  }
}

TEST(Utf8TextTest, FindBackwards) {
  const std::vector<FindCase> cases = {
      {"abab", "ab", -1, false, 3},
      {"abab", "ab", 0, false, 3},
      {"abab", "ab", 100, false, 3},
      {"abab", "ab", 3, false, 3},
      {"abab", "ab", 2, false, 1},
      {"abab", "ab", 1, false, 1},  // a match may run past start
      {"abab", "ba", 1, false, -1},
      {"abab", "", -1, false, -1},
      {"", "a", -1, false, -1},
      {"中文形", "形", -1, false, 7},
      {"形中文", "形", -1, false, 1},
      {"aXbx", "X", -1, true, 4},
      {"Ａx", "a", -1, true, -1},
      {"ab\xE4", "\xE4", -1, false, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("hay=" + c.hay + " needle=" + c.needle + " start=" + std::to_string(c.start));
    EXPECT_EQ(utf8::FindBackwards(c.hay, c.needle, c.start, c.ignoreCase), c.expected);
  }
}

TEST(Utf8TextTest, CaseFoldingTouchesOnlyAsciiCharacters) {
  const string mixed = "aZＡａ中b[OFFSET\xE4";
  EXPECT_EQ(utf8::ToLowerAscii(mixed), "azＡａ中b[offset\xE4");
  EXPECT_EQ(utf8::ToUpperAscii(mixed), "AZＡａ中B[OFFSET\xE4");
  EXPECT_EQ(utf8::ToUpperAscii(""), "");
}

struct SplitCase {
  string s, delim;
  std::vector<string> pieces;
};

TEST(Utf8TextTest, Split) {
  const std::vector<SplitCase> cases = {
      {"a,b,,c", ",", {"a", "b", "", "c"}},
      {"a,b,", ",", {"a", "b"}},
      {"a,b,,", ",", {"a", "b", ""}},
      {",a", ",", {"", "a"}},
      {",", ",", {""}},
      {"", ",", {}},
      {"abc", "", {"abc"}},
      {"abc", ",", {"abc"}},
      {"a\r\nb\r\n\r\n", "\r\n", {"a", "b", ""}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"中,文", ",", {"中", "文"}},
      {"中文形", "形", {"中文"}},
      {"中文", "形", {"中文"}},
      {"ab\xE4", "\xE4", {"ab"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("s=" + c.s + " delim=" + c.delim);
    EXPECT_EQ(utf8::Split(c.s, c.delim), c.pieces);
  }
}

TEST(Utf8TextTest, ToNumber) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<string, double>> cases = {
      {"", 0},        {"abc", 0},      {"12.5", 12.5},   {"  -3.25xyz", -3.25},
      {"+7", 7},      {".5", 0.5},     {"5.", 5},        {"-500]", -500},
      {"1e3", 1000},  {"1E-2", 0.01},  {"2e", 2},        {"2e+", 2},
      {"3ex", 3},     {"-", 0},        {".", 0},         {"-.e5", 0},
      {"0x10", 0},    {"inf", 0},      {"nan", 0},       {"00012", 12},
      {"12,5", 12},   {"\t\r\n 8", 8}, {"１２", 0},      {"- 5", 0},
      {"\f8", 8},     {"\v8", 8},
      {"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0},   {"0.0001e310", 1e306},
      {"1e99999999999999999999", inf},  {"123456789e-99999999999999999999", 0},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_DOUBLE_EQ(utf8::ToNumber(text), expected);
  }
  EXPECT_DOUBLE_EQ(utf8::ToNumber(string(400, '9')), inf);
  EXPECT_DOUBLE_EQ(utf8::ToNumber("0." + string(400, '0') + "1"), 0);
  EXPECT_DOUBLE_EQ(utf8::ToNumber("0." + string(400, '0') + "1e50"), 0);
  EXPECT_DOUBLE_EQ(utf8::ToNumber("1" + string(20, '0') + "e-400"), 0);
}

TEST(Utf8TextTest, ToInt32Saturates) {
  const std::vector<std::pair<string, int32_t>> cases = {
      {"", 0},
      {"abc", 0},
      {"  -42abc", -42},
      {"+17", 17},
      {"\t7", 7},
      {"12.9", 12},
      {"- 5", 0},
      {"2147483647", kMaxI32},
      {"2147483648", kMaxI32},
      {"-2147483648", kMinI32},
      {"-2147483649", kMinI32},
      {"99999999999999999999999999", kMaxI32},
      {"-99999999999999999999999999", kMinI32},
      {"000000000000000000000000042", 42},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(utf8::ToInt32(text), expected);
  }
}

TEST(Utf8TextTest, NumbersToText) {
  EXPECT_EQ(utf8::IntToText(0), "0");
  EXPECT_EQ(utf8::IntToText(-5), "-5");
  EXPECT_EQ(utf8::IntToText(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(utf8::IntToText(std::numeric_limits<int64_t>::max()), "9223372036854775807");

  const std::vector<std::pair<double, string>> cases = {
      {0.0, "0"},          {12.0, "12"},           {1.5, "1.5"},
      {-2.25, "-2.25"},    {0.1, "0.1"},           {1.0 / 3, "0.3333333333333"},
      {1e20, "1e+20"},     {1e-5, "1e-05"},        {123456789012345.0, "1.234567890123e+14"},
      {1234567890123.0, "1234567890123"},          {2.0 / 3 * 1000, "666.6666666667"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(utf8::DoubleToText(value), expected);
  }
}

TEST(Utf8TextTest, TypeableTextDropsControlCharacters) {
  const std::vector<std::pair<string, string>> cases = {
      {"月亮走", "月亮走"},
      {"a\x16" "b", "ab"},  // Ctrl+V would paste the clipboard
      {"\x03\x18\x1A\x01x\x1F\x7F", "x"},
      {"a\tb", "a b"},
      {"\r\n行\r\n", "行"},
      {" ~", " ~"},
      {"a\xC2\x80\xC2\x9F" "b", "ab"},             // U+0080, U+009F: control characters too
      {"\xE2\x80\xAE" "evil", "evil"},               // U+202E turns what follows around
      {"n\xE2\x80\x8B" "i\xE2\x80\x8F" "c", "nic"},  // U+200B, U+200F: nothing to see
      {"\xEF\xBB\xBF" "a\xE2\x80\xA8" "b\xE2\x80\xA9", "ab"},  // U+FEFF, U+2028, U+2029
      {"\xF3\xA0\x80\x81" "x", "x"},                // U+E0001, a tag beyond the BMP
      {"\xF3\xA0\x81\x81" "x\xF3\xA0\x81\xBF", "x"},    // U+E0041, U+E007F: tag letters
      {"\xC2\xA0\xE3\x80\x80\xF0\x9F\x98\x80", "\xC2\xA0\xE3\x80\x80\xF0\x9F\x98\x80"},  // spaces, emoji: kept
      {"a\xFF" "b\x85", "a\xFF" "b\x85"},            // bytes that start nothing (not U+0085): kept
      {"Ravo\u00AE\u00AD", "Ravo\u00AE"},              // the soft hyphen goes, the sign before it stays
      {"a\x80" "b", "a\x80" "b"},                      // a stray continuation byte: kept
      {"a\U000110BD" "b", "ab"},                       // a format character beyond the BMP
  };
  for (const auto& [text, typed] : cases) EXPECT_EQ(utf8::TypeableText(text), typed) << text;
}

TEST(Utf8TextTest, CutToUtf16UnitsEndsAtACharacter) {
  const struct {
    string text;
    size_t units;
    string cut;
  } cases[] = {
      {"abc", 2, "ab"},
      {"abc", 3, "abc"},
      {"abc", 0, ""},
      {"月亮", 1, "月"},  // three bytes, one unit
      {"a\xF0\x9F\x98\x80" "b", 2, "a"},  // the emoji's two units do not both fit
      {"a\xF0\x9F\x98\x80" "b", 3, "a\xF0\x9F\x98\x80"},
      {string(100000, 'x'), 255, string(255, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8::CutToUtf16Units(c.text, c.units), c.cut) << c.text.substr(0, 20);
}

TEST(Utf8TextTest, BytesToTextCutsAtFirstZero) {
  EXPECT_EQ(utf8::BytesToText(string("ab\0cd", 5)), "ab");
  EXPECT_EQ(utf8::BytesToText(string("\0x", 2)), "");
  EXPECT_EQ(utf8::BytesToText("中文"), "中文");
  EXPECT_EQ(utf8::BytesToText(""), "");
}

// Random texts over a small alphabet rich in pieces of UTF-8 characters and bytes that
// start none; the sanitizers check that nothing reads outside
// the texts, and the results are checked against what they promise.
TEST(Utf8TextTest, RandomInputsKeepTheirPromises) {
  const string alphabet = string("aA,|\\\r\n ") + "\xE4\xB8\xAD\x80\xFF";
  std::mt19937 rng(12345);
  auto randomText = [&](size_t maxLen) {
    string s(rng() % (maxLen + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  auto charStarts = [](const string& s) {
    std::vector<bool> starts(s.size(), false);
    for (size_t i = 0; i < s.size(); i += enc::CharLengthAt(s, i)) {
      starts[i] = true;
    }
    return starts;
  };
  for (int round = 0; round < 3000; ++round) {
    const string hay = randomText(12);
    const string needle = randomText(3);
    const int32_t start = static_cast<int32_t>(rng() % 17) - 2;
    const bool ignoreCase = rng() % 2 == 0;
    SCOPED_TRACE("round " + std::to_string(round));
    const auto starts = charStarts(hay);
    for (int32_t found : {utf8::Find(hay, needle, start, ignoreCase),
                          utf8::FindBackwards(hay, needle, start, ignoreCase)}) {
      if (found == -1) continue;
      ASSERT_GE(found, 1);
      ASSERT_LE(static_cast<size_t>(found) - 1 + needle.size(), hay.size());
      EXPECT_TRUE(starts[found - 1]);
      if (!ignoreCase) {
        EXPECT_EQ(hay.substr(found - 1, needle.size()), needle);
      }
    }
    const auto pieces = utf8::Split(hay, needle);
    if (!needle.empty() && !hay.empty()) {
      string joined;
      for (size_t k = 0; k < pieces.size(); ++k) joined += (k ? needle : "") + pieces[k];
      EXPECT_TRUE(joined == hay || joined + needle == hay);
    }
    EXPECT_EQ(utf8::ToLowerAscii(utf8::ToUpperAscii(hay)), utf8::ToLowerAscii(hay));
    const int32_t n = start * 3 - 5;
    const bool inside = start >= 1 && static_cast<size_t>(start) <= hay.size() && n > 0;
    EXPECT_EQ(utf8::Mid(hay, start, n), inside ? hay.substr(start - 1, n) : "");
    utf8::ToNumber(hay);
    utf8::ToInt32(hay);
  }
}

}  // namespace
