// Blank trimming of UTF-8 texts, as the scroller and the update's address read it.
#include "text/trim_blanks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::string;

struct TextCase {
  string in, out;
};

TEST(TrimBlanksTest, StepsCharactersFromTheStart) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"   ", ""},
      {"  ab  c  ", "ab  c"},
      {"\u3000ab\u3000 \u3000", "ab"},          // ideographic spaces both ends
      {" \u3000 中 文 \u3000", "中 文"},
      {"\tab\r\n", "\tab\r\n"},                 // only spaces are blanks
      {"\u00A0ab\u2002", "\u00A0ab\u2002"},     // and no other Unicode space
      {"\xE4\xB8 ", "\xE4\xB8"},                // a cut-off character takes no blank
      {"\xE3\x80", "\xE3\x80"},                 // a cut-off U+3000 is no blank
      {"\xE3\xE3\x80\x80", "\xE3"},             // a stray lead byte, then U+3000
      {"\u3000\x80", "\x80"},                   // a stray continuation byte stays
      {"ab\xE4\xB8", "ab\xE4\xB8"},             // a cut-off last character stays
      {"中\u3000\u3000", "中"},
      {"\uFF0Ca", "\uFF0Ca"},                   // a full-width comma is no blank
      {"\xFF\xFF ", "\xFF\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.in));
    EXPECT_EQ(TrimBlanks(c.in), c.out);
  }
}

}  // namespace
