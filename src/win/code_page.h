// Conversions between the system's code pages and UTF-16, by the system's own tables.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The bytes of code page codePage as UTF-16; empty for empty or unconvertible bytes.
std::wstring ToUtf16(std::string_view bytes, UINT codePage);
// UTF-16 as bytes of code page codePage, with WideCharToMultiByte's flags and, where
// the code page allows one, the byte written for a character it lacks (null: the code
// page's own); empty for empty or unconvertible text.
std::string FromUtf16(std::wstring_view wide, UINT codePage, DWORD flags, const char* defaultChar = nullptr);
