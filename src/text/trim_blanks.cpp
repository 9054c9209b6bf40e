#include "text/trim_blanks.h"

#include "text/encoding.h"

namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";

// The length of the blank at i (an ASCII space or U+3000), or 0.
size_t BlankAt(std::string_view s, size_t i) {
  if (s[i] == ' ') return 1;
  return s.substr(i, kIdeographicSpace.size()) == kIdeographicSpace ? kIdeographicSpace.size() : 0;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t blank = BlankAt(text, i);
    if (blank == 0) break;
    i += blank;
  }
  const size_t start = i;
  size_t end = start;  // just past the last character that is not a blank
  while (i < text.size()) {
    const size_t blank = BlankAt(text, i);
    const size_t n = blank ? blank : enc::CharLengthAt(text, i);
    if (!blank) end = i + n;
    i += n;
  }
  return std::string(text.substr(start, end - start));
}
