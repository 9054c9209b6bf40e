#include "lyrics/lyric_bytes.h"

#include <windows.h>

#include "text/gbk_text.h"

namespace {

constexpr UINT kGbk = 936;

std::string WideToGbk(const std::wstring& wide) {
  if (wide.empty()) return {};
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, "?", &usedDefault);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n, "?",
                      &usedDefault);
  return out;
}

std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian) {
  std::wstring wide(bytes.size() / 2, L'\0');  // an odd last byte is no character
  for (size_t i = 0; i < wide.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    wide[i] = static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return wide;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::string LyricBytesToText(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return gbk::BytesToText(WideToGbk(Utf16ToWide(bytes.substr(2), false)));
  if (StartsWith(bytes, "\xFE\xFF")) return gbk::BytesToText(WideToGbk(Utf16ToWide(bytes.substr(2), true)));
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return gbk::BytesToText(WideToGbk(Utf8ToWide(bytes.substr(3))));
  return gbk::BytesToText(bytes);
}
