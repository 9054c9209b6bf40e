// Code pages by the system's own tables (MultiByteToWideChar, WideCharToMultiByte).
#include <windows.h>

#include <climits>

#include "text/encoding.h"

namespace enc {

namespace {

std::wstring ToWide(std::string_view bytes, UINT codePage, DWORD flags) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, flags, bytes.data(), len, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), len, wide.data(), n);
  return wide;
}

}  // namespace

unsigned SystemCodePage() { return GetACP(); }

bool IsDoubleByteCodePage(unsigned codePage) {
  CPINFO info;
  return GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
}

std::string DecodeCodePage(std::string_view bytes, unsigned codePage) {
  return Narrow(ToWide(bytes, codePage, 0));
}

bool IsValidInCodePage(std::string_view bytes, unsigned codePage) {
  return bytes.empty() || !ToWide(bytes, codePage, MB_ERR_INVALID_CHARS).empty();
}

std::string EncodeCodePage(std::string_view utf8, unsigned codePage, bool* complete) {
  const std::wstring wide = Wide(utf8);
  if (complete) *complete = true;
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int len = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = "?";
  BOOL* usedDefaultChar = &usedDefault;
  int n = WideCharToMultiByte(codePage, flags, wide.data(), len, nullptr, 0, defaultChar, usedDefaultChar);
  const DWORD refused = n > 0 ? 0 : GetLastError();
  if (refused == ERROR_INVALID_FLAGS || refused == ERROR_INVALID_PARAMETER) {
    // UTF-8 (the system code page where the "Unicode UTF-8" option is on), UTF-7,
    // GB18030, ISO-2022 and a few others take no flags and no default character; they
    // put their own in for what they lack.
    flags = 0;
    defaultChar = nullptr;
    usedDefaultChar = nullptr;
    n = WideCharToMultiByte(codePage, flags, wide.data(), len, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) {
    if (complete) *complete = false;
    return {};
  }
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), len, bytes.data(), n, defaultChar, usedDefaultChar);
  if (complete) *complete = usedDefaultChar ? !usedDefault : ToWide(bytes, codePage, 0) == wide;
  return bytes;
}

}  // namespace enc
