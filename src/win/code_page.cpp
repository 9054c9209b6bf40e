#include "win/code_page.h"

#include <climits>

std::wstring ToUtf16(std::string_view bytes, UINT codePage) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), len, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), len, wide.data(), n);
  return wide;
}

std::string FromUtf16(std::wstring_view wide, UINT codePage, DWORD flags, const char* defaultChar) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int len = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), len, nullptr, 0, defaultChar, nullptr);
  if (n <= 0) return {};
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), len, bytes.data(), n, defaultChar, nullptr);
  return bytes;
}
