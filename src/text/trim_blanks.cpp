#include "text/trim_blanks.h"

#include "text/gbk_text.h"

namespace {

bool IsFullWidthSpaceAt(std::string_view s, size_t i) {
  return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 && static_cast<unsigned char>(s[i + 1]) == 0xA1;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t i = 0;
  for (;;) {
    if (i < text.size() && text[i] == ' ') {
      i += 1;
    } else if (IsFullWidthSpaceAt(text, i)) {
      i += 2;
    } else {
      break;
    }
  }
  const size_t start = i;
  size_t end = start;  // just past the last character that is not a blank
  while (i < text.size()) {
    if (!gbk::IsLeadByte(static_cast<unsigned char>(text[i]))) {
      if (text[i] != ' ') end = i + 1;
      i += 1;
    } else if (i + 1 < text.size()) {
      if (!IsFullWidthSpaceAt(text, i)) end = i + 2;
      i += 2;
    } else {
      i += 1;  // a lead byte without its trail: never part of the result
    }
  }
  return std::string(text.substr(start, end - start));
}
