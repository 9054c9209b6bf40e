// UTF-8 <-> UTF-16, the conversion every text takes on its way to and from the "W"
// interfaces: each boundary of the encoding forms, and what an invalid unit becomes.
#include "text/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Utf16, RoundTrip) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  } kCases[] = {
      {"a", "a", u"a"},
      {"Я", "\xD0\xAF", u"\u042F"},
      {"雨", "\xE9\x9B\xA8", u"\u96E8"},
      {"U+0080", "\xC2\x80", u"\u0080"},
      {"U+07FF", "\xDF\xBF", u"\u07FF"},
      {"U+0800", "\xE0\xA0\x80", u"\u0800"},
      {"U+FFFF", "\xEF\xBF\xBF", std::u16string(1, char16_t{0xFFFF})},
      {"U+10000", "\xF0\x90\x80\x80", u"\U00010000"},
      {"𠮷", "\xF0\xA0\xAE\xB7", u"\U00020BB7"},
      {"😀", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"🏿", "\xF0\x9F\x8F\xBF", u"\U0001F3FF"},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"mixed", "a\xD0\xAF\xF0\x9F\x98\x80z", u"a\u042F\U0001F600z"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(enc::Utf8ToUtf16(c.utf8), c.utf16) << c.name;
    EXPECT_EQ(enc::Utf16ToUtf8(c.utf16), c.utf8) << c.name;
  }
}

TEST(Utf8Utf16, InvalidUnitsBecomeTheReplacementCharacter) {
  EXPECT_EQ(enc::Utf16ToUtf8(std::u16string(1, char16_t{0xDC00}) + u"a"), "\xEF\xBF\xBD" "a");  // lone low
  EXPECT_EQ(enc::Utf16ToUtf8(u"a" + std::u16string(1, char16_t{0xD800})), "a\xEF\xBF\xBD");     // lone high
  EXPECT_EQ(enc::Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(enc::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
}

// The code pages whose characters take one or two bytes, as the system tells them: the
// native build's answers stand in for the system's in every lyric test.
TEST(CodePages, DoubleByteOnesAreTheEastAsianOnes) {
  for (unsigned cp : {932u, 936u, 949u, 950u, 1361u}) EXPECT_TRUE(enc::IsDoubleByteCodePage(cp)) << cp;
  for (unsigned cp : {1250u, 1252u, 65001u}) EXPECT_FALSE(enc::IsDoubleByteCodePage(cp)) << cp;
}

}  // namespace
