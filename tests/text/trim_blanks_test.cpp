// Blank trimming of GBK texts, as the scroller and the update's address read it.
#include "text/trim_blanks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::string;

struct TextCase {
  string in, out;
};

TEST(TrimBlanksTest, PairsBytesFromTheStart) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"   ", ""},
      {"  ab  c  ", "ab  c"},
      {"\xA1\xA1" "ab\xA1\xA1 \xA1\xA1", "ab"},           // full-width spaces both ends
      {" \xA1\xA1 中 文 \xA1\xA1", "中 文"},
      {"\tab\r\n", "\tab\r\n"},                           // only spaces are blanks
      {"\xB0 ", "\xB0 "},                                 // trail byte 0x20 is no blank
      {"\xB0\xA1\xA1", "\xB0\xA1"},                       // B0 A1 is a character, A1 alone is dropped
      {"x\xB0\xA1\xA1\xA1", "x\xB0\xA1"},                 // ...and so is the lone A1 after it
      {"\xA1\xA1\xA1", ""},                               // leading pair, then a lone lead byte
      {"ab\xA3", "ab"},                                   // lone last lead byte dropped
      {"ab \xA3", "ab"},                                  // ...together with the blank before it
      {"\xA3", ""},
      {"\xA3\xAC" "a", "\xA3\xAC" "a"},
      {"\xAC" "a\xA3", "\xAC" "a"},                       // AC 61 pairs up, A3 is left alone
      {" \xA1", ""},
      {"\xA1 ", "\xA1 "},                                 // A1 20 is one character
      {"\xFF\xFF ", "\xFF\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    EXPECT_EQ(TrimBlanks(c.in), c.out);
  }
}

}  // namespace
