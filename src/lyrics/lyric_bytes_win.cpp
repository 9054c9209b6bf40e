#include "lyrics/lyric_bytes.h"

#include <windows.h>

#include "lyrics/lyric_encoding.h"
#include "win/code_page.h"

namespace {

constexpr UINT kGbk = 936;

std::string Utf16ToGbk(std::u16string_view text) {
  const std::wstring_view wide(reinterpret_cast<const wchar_t*>(text.data()), text.size());
  return FromUtf16(wide, kGbk, WC_NO_BEST_FIT_CHARS, "?");
}

}  // namespace

std::string LyricFileText(std::string_view bytes) { return NormalizeLineEnds(DecodeLyricBytes(bytes, Utf16ToGbk)); }
