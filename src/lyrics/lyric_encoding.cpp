#include "lyrics/lyric_encoding.h"

#include <cstdint>

#include "text/gbk_text.h"

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at s[i] and its code point, or 0 when none starts
// there. The ranges of the second byte rule out overlong forms, surrogates and code
// points above U+10FFFF.
size_t SequenceAt(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  const auto b1 = static_cast<unsigned char>(s[i + 1]);
  if (b1 < lo || b1 > hi) return 0;
  for (size_t k = 2; k < len; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 0;
  }
  cp = b0 & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return len;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

}  // namespace

bool IsStrictUtf8(std::string_view bytes) {
  char32_t cp;
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = SequenceAt(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

LyricEncoding DetectLyricEncoding(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return LyricEncoding::Utf16Le;
  if (StartsWith(bytes, "\xFE\xFF")) return LyricEncoding::Utf16Be;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return LyricEncoding::Utf8WithMark;
  bool multiByte = false;
  for (char c : bytes) multiByte |= static_cast<unsigned char>(c) >= 0x80;
  return multiByte && IsStrictUtf8(bytes) ? LyricEncoding::Utf8 : LyricEncoding::Gbk;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  char32_t cp;
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = SequenceAt(bytes, i, cp);
    AppendUtf16(out, len == 0 ? U'\uFFFD' : cp);
    i += len == 0 ? 1 : len;
  }
  return out;
}

std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    out[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return out;
}

std::string DecodeLyricBytes(std::string_view bytes, Utf16ToGbkFn toGbk) {
  switch (DetectLyricEncoding(bytes)) {
    case LyricEncoding::Utf16Le:
      return gbk::BytesToText(toGbk(Utf16BytesToUtf16(bytes.substr(2), false)));
    case LyricEncoding::Utf16Be:
      return gbk::BytesToText(toGbk(Utf16BytesToUtf16(bytes.substr(2), true)));
    case LyricEncoding::Utf8WithMark:
      return gbk::BytesToText(toGbk(Utf8ToUtf16(bytes.substr(3))));
    case LyricEncoding::Utf8:
      return gbk::BytesToText(toGbk(Utf8ToUtf16(bytes)));
    case LyricEncoding::Gbk:
      break;
  }
  return gbk::BytesToText(bytes);
}

std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}
