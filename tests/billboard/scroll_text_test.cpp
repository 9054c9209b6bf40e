#include "billboard/scroll_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using std::string;

TEST(ScrollTextTest, Level1HanziAtTheEdgesOfItsBlock) {
  const std::vector<std::pair<string, bool>> cases = {
      {"", false},          {"\xB0", false},      {"a\xB0\xA1", false},
      {"\xB0\xA1", true},   {"\xD7\xFE", true},   {"\xB0\xFE", true},  {"\xD7\xA1" "x", true},
      {"中", true},         {"\xAF\xA1", false},  {"\xD8\xA1", false},  // lead just outside
      {"\xB0\xA0", false},  {"\xB0\xFF", false},  {"\xB0\x40", false},  // trail just outside
      {"\xA3\xAC", false},  {"\xA1\xA1", false},  {"\xF7\xFE", false},  // punctuation, level 2
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(StartsWithLevel1Hanzi(text), expected);
  }
}

struct RotationCase {
  string start;
  std::vector<string> steps;  // what each successive step gives
};

TEST(ScrollTextTest, RotationSequences) {
  const std::vector<RotationCase> cases = {
      {"ab cd", {"b cda", " cdab", "dabc", "abcd"}},  // the blank is lost for good
      {"中文abc", {"文abc中", "abc中文", "bc中文a"}},
      {"\xA3\xAC\xD6\xD0", {"\xAC\xD6\xD0\xA3", "\xD6\xD0\xA3\xAC", "\xA3\xAC\xD6\xD0"}},
      {"\xA3\xAC" "a", {"\xAC" "a\xA3", "a\xAC", "a", "a"}},
      {"", {"", ""}},
      {"x", {"x"}},
      {"中", {"中"}},
      {"  中文  ", {"文中", "中文"}},
      {"\xA1\xA1" "ab", {"ba", "ab"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.start));
    string text = c.start;
    for (const string& expected : c.steps) {
      text = RotatedScrollText(text);
      EXPECT_EQ(text, expected);
    }
  }
}

TEST(PeriodTest, ReadsLikeAnInt32WithFullWidthForms) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const std::vector<std::pair<string, int32_t>> cases = {
      {"500", 500},
      {"250ms", 250},
      {"  42", 42},
      {"+7", 7},
      {"-5", -5},
      {"0", 0},
      {"", 0},
      {"abc", 0},
      {"ms250", 0},
      {"- 5", 0},
      {"1 000", 1},
      {"12.9", 12},
      {"99999999999", kMax},
      {"-99999999999", kMin},
      {"\xA3\xB2\xA3\xB5\xA3\xB0", 250},                 // full-width digits
      {"\xA3\xAD\xA3\xB5", -5},                          // full-width minus
      {"\xA3\xAB" "3", 3},                               // full-width plus, ASCII digit
      {"\xA1\xA1\xA1\xA1" "80", 80},                     // full-width spaces before
      {"1\xA3\xB0" "0毫秒", 100},
      {"\xA3\xB1\xA3\xB0\xA3\xB0\xA3\xB0\xA3\xED\xA3\xF3", 1000},  // "１０００ｍｓ"
      {"中\xA3\xB5", 0},                                 // other characters stop the reading
      {"\xB3\xB1", 0},                                   // trail 0xB1 is not the digit 1
      {"5\xA3", 5},                                      // lone lead byte at the end
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(ReadPeriodMs(text), expected);
  }
}

}  // namespace
