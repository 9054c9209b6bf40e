#include "billboard/scroll_text.h"

#include <algorithm>

#include "text/encoding.h"
#include "text/trim_blanks.h"
#include "text/utf8_text.h"

namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";

// The full-width form (U+FF01..U+FF5E, encoded EF BC 81..EF BD 9E) of an ASCII character
// at i, or 0.
char FullWidthAsciiAt(std::string_view s, size_t i) {
  if (i + 3 > s.size()) return 0;
  const auto b0 = static_cast<unsigned char>(s[i]), b1 = static_cast<unsigned char>(s[i + 1]),
             b2 = static_cast<unsigned char>(s[i + 2]);
  if (b0 != 0xEF) return 0;
  if (b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) return static_cast<char>(b2 - 0x81 + 0x21);
  if (b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) return static_cast<char>(b2 - 0x80 + 0x60);
  return 0;
}

}  // namespace

std::string RotatedScrollText(std::string_view text) {
  const std::string t = TrimBlanks(text);
  if (t.empty()) return t;
  const size_t n = enc::CharLengthAt(t, 0);
  if (t.size() <= n) return t;
  return t.substr(n) + t.substr(0, n);
}

int32_t ReadPeriodMs(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (const char c = FullWidthAsciiAt(text, i)) {
      ascii += c;
      i += 3;
    } else if (text.substr(i, kIdeographicSpace.size()) == kIdeographicSpace) {
      ascii += ' ';
      i += kIdeographicSpace.size();
    } else {
      const size_t n = enc::CharLengthAt(text, i);
      ascii.append(text.substr(i, n));
      i += n;
    }
  }
  return utf8::ToInt32(ascii);
}

int32_t StepPeriodMs(std::string_view text) { return std::max(ReadPeriodMs(text), MIN_STEP_PERIOD_MS); }
