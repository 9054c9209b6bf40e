#include "billboard/scroll_text.h"

#include "text/gbk_text.h"
#include "text/trim_blanks.h"

namespace {

unsigned char Byte(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace

bool StartsWithLevel1Hanzi(std::string_view text) {
  if (text.size() < 2) return false;
  const unsigned char lead = Byte(text, 0), trail = Byte(text, 1);
  return lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && trail <= 0xFE;
}

std::string RotatedScrollText(std::string_view text) {
  const std::string t = TrimBlanks(text);
  const size_t n = StartsWithLevel1Hanzi(t) ? 2 : 1;
  if (t.size() <= n) return t;
  return t.substr(n) + t.substr(0, n);
}

int32_t ReadPeriodMs(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (!gbk::IsLeadByte(Byte(text, i)) || i + 1 == text.size()) {
      ascii += text[i];
      i += 1;
      continue;
    }
    const unsigned char lead = Byte(text, i), trail = Byte(text, i + 1);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      ascii += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      ascii += ' ';
    } else {
      ascii.append(text.substr(i, 2));
    }
    i += 2;
  }
  return gbk::ToInt32(ascii);
}
