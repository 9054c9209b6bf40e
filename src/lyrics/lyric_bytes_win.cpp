#include "lyrics/lyric_bytes.h"

#include <windows.h>

#include <climits>

#include "lyrics/lyric_encoding.h"

namespace {

constexpr UINT kGbk = 936;

std::string Utf16ToGbk(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide, len, nullptr, 0, "?", &usedDefault);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide, len, out.data(), n, "?", &usedDefault);
  return out;
}

}  // namespace

std::string LyricFileText(std::string_view bytes) { return NormalizeLineEnds(DecodeLyricBytes(bytes, Utf16ToGbk)); }
