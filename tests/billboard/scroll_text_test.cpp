#include "billboard/scroll_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using std::string;

struct RotationCase {
  string start;
  std::vector<string> steps;  // what each successive step gives
};

TEST(ScrollTextTest, RotationSequences) {
  const std::vector<RotationCase> cases = {
      {"ab cd", {"b cda", " cdab", "dabc", "abcd"}},  // the blank is lost for good
      {"中文abc", {"文abc中", "abc中文", "bc中文a"}},
      // Full-width punctuation, second-level characters and characters beyond the BMP move
      // as whole characters too.
      {"，中", {"中，", "，中"}},
      {"蠢a", {"a蠢", "蠢a"}},
      {"😀가a", {"가a😀", "a😀가", "😀가a"}},
      {"\xFF" "ab", {"ab\xFF", "b\xFF" "a"}},  // a byte that is no character moves alone
      {"", {"", ""}},
      {"x", {"x"}},
      {"中", {"中"}},
      {"  中文  ", {"文中", "中文"}},
      {"\u3000" "ab\u3000", {"ba", "ab"}},  // ideographic spaces are trimmed
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
      {"1\u3000" "000", 1},    // an ideographic space ends the number too
      {"12.9", 12},
      {"99999999999", kMax},
      {"-99999999999", kMin},
      {"２５０", 250},          // full-width digits
      {"－５", -5},             // full-width minus
      {"＋3", 3},               // full-width plus, ASCII digit
      {"\u3000\u3000" "80", 80},  // ideographic spaces before
      {"1０0毫秒", 100},
      {"１０００ｍｓ", 1000},
      {"中５", 0},              // other characters stop the reading
      {"＼１", 0},              // the full-width backslash is no blank
      {"5\xEF\xBC", 5},         // a character cut off at the end
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_EQ(ReadPeriodMs(text), expected);
  }
}

}  // namespace
