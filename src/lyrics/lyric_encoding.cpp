#include "lyrics/lyric_encoding.h"

#include "text/encoding.h"
#include "text/utf8_text.h"

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsBig5Lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsBig5Trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

// True when GBK reads the Big5 pair (trail 40-7E or A1-FE) as one of its user-defined
// areas: AAA1-AFFE, F8A1-FEFE and A140-A7A0. They are told by their bytes, not by a
// table: the system's GBK table puts them in the private-use area, iconv's (the native
// tests') leaves them undefined.
bool IsGbkUserDefined(unsigned char lead, unsigned char trail) {
  if (trail >= 0xA1) return (lead >= 0xAA && lead <= 0xAF) || lead >= 0xF8;
  return lead >= 0xA1 && lead <= 0xA7;
}

// True when the UTF-8 text holds a character of the Basic Multilingual Plane's
// private-use area (U+E000..U+F8FF), where Big5's tables put its user-defined pairs.
bool HasPrivateUse(std::string_view utf8) {
  for (size_t i = 0; i + 2 < utf8.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
    if (b0 == 0xEE || (b0 == 0xEF && b1 <= 0xA3)) return true;
  }
  return false;
}

// A lone lead byte at the very end is a character cut off with the file, not a sign of
// another encoding.
std::string_view WithoutCutOffEnd(std::string_view bytes) {
  if (!bytes.empty() && static_cast<unsigned char>(bytes.back()) >= 0x81) {
    size_t leads = 0;
    for (size_t i = bytes.size(); i-- > 0 && static_cast<unsigned char>(bytes[i]) >= 0x81;) ++leads;
    if (leads % 2 == 1) return bytes.substr(0, bytes.size() - 1);
  }
  return bytes;
}

// GBK's byte structure: every byte above 0x80 leads a pair whose second byte is 40-7E or
// 80-FE, and 0x80 stands alone (the euro sign). Big5 text has it too.
bool IsGbkShaped(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b <= 0x80) continue;
    if (b == 0xFF || i + 1 == bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    ++i;
  }
  return true;
}

}  // namespace

bool IsOnlyBig5(std::string_view bytes) {
  bool gbkUserDefined = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) continue;
    if (!IsBig5Lead(b) || i + 1 == bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    if (!IsBig5Trail(trail)) return false;
    // Big5's trail bytes are GBK trail bytes too: GBK pairs the bytes the same way.
    gbkUserDefined = gbkUserDefined || IsGbkUserDefined(b, trail);
    ++i;
  }
  return gbkUserDefined && enc::IsValidInCodePage(bytes, enc::kBig5) &&
         !HasPrivateUse(enc::DecodeCodePage(bytes, enc::kBig5));
}

LyricEncoding DetectLyricEncoding(std::string_view bytes, unsigned systemCodePage) {
  if (StartsWith(bytes, "\xFF\xFE")) return LyricEncoding::Utf16Le;
  if (StartsWith(bytes, "\xFE\xFF")) return LyricEncoding::Utf16Be;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return LyricEncoding::Utf8WithMark;
  bool multiByte = false;
  for (char c : bytes) multiByte |= static_cast<unsigned char>(c) >= 0x80;
  if (!multiByte) return LyricEncoding::Gbk;  // ASCII: the same in every one of them
  if (enc::IsStrictUtf8(bytes)) return LyricEncoding::Utf8;
  const unsigned system = systemCodePage == enc::kSystem ? enc::SystemCodePage() : systemCodePage;
  const bool chinese = system == enc::kGbk || system == enc::kBig5;
  const bool doubleByte = enc::IsDoubleByteCodePage(system);
  const std::string_view whole = WithoutCutOffEnd(bytes);
  if (doubleByte && !chinese && enc::IsValidInCodePage(whole, system)) return LyricEncoding::System;
  if (IsOnlyBig5(whole)) return LyricEncoding::Big5;
  // On a Chinese system any text of GBK's shape stays GBK, as it always was (a pair the
  // table leaves out is no sign of a Western file); elsewhere GBK must prove itself
  // against the table to win over the system's own code page.
  if (chinese) return IsGbkShaped(whole) ? LyricEncoding::Gbk : LyricEncoding::Western;
  if (doubleByte || enc::IsValidInCodePage(whole, enc::kGbk)) return LyricEncoding::Gbk;
  return LyricEncoding::System;
}

std::string DecodeLyricBytes(std::string_view bytes, unsigned systemCodePage) {
  switch (DetectLyricEncoding(bytes, systemCodePage)) {
    case LyricEncoding::Utf16Le:
      return utf8::BytesToText(enc::Utf16BytesToUtf8(bytes.substr(2), false));
    case LyricEncoding::Utf16Be:
      return utf8::BytesToText(enc::Utf16BytesToUtf8(bytes.substr(2), true));
    case LyricEncoding::Utf8WithMark:
      return utf8::BytesToText(bytes.substr(3));
    case LyricEncoding::Utf8:
      return utf8::BytesToText(bytes);
    case LyricEncoding::Big5:
      return enc::DecodeCodePage(utf8::BytesToText(bytes), enc::kBig5);
    case LyricEncoding::System:
      return enc::DecodeCodePage(utf8::BytesToText(bytes),
                                 systemCodePage == enc::kSystem ? enc::SystemCodePage() : systemCodePage);
    case LyricEncoding::Western:
      return enc::DecodeCodePage(utf8::BytesToText(bytes), enc::kWestern);
    case LyricEncoding::Gbk:
      break;
  }
  return enc::DecodeCodePage(utf8::BytesToText(bytes), enc::kGbk);
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

std::string LyricFileText(std::string_view bytes, unsigned systemCodePage) {
  return NormalizeLineEnds(DecodeLyricBytes(bytes, systemCodePage));
}
