// The one place where text changes encoding.
//
// Inside the program every text is UTF-8 in a std::string: the window layer hands it to
// the "W" interfaces as UTF-16 (Wide) and reads them back (Narrow). Byte encodings other
// than UTF-8 exist only where a format fixes them — the lyrics site's and the update
// page's GBK, lyric files in GBK or Big5, the bytes an ANSI window takes — and are
// converted here, at that edge, by the system's own code-page tables (in the native test
// build by iconv's tables of the same code pages).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace enc {

// Code pages named by the formats the program meets; kSystem is the code page of
// non-Unicode programs on the machine (CP_ACP).
inline constexpr unsigned kSystem = 0;
inline constexpr unsigned kGbk = 936;
inline constexpr unsigned kBig5 = 950;
inline constexpr unsigned kUtf8 = 65001;
inline constexpr unsigned kWestern = 1252;

// The code page of non-Unicode programs on this machine (kSystem's number). The native
// test build stands for a Chinese (936) system.
unsigned SystemCodePage();
// True when characters of the code page take up to two bytes (Chinese, Japanese,
// Korean), false for the single-byte ones (1252 and its kin).
bool IsDoubleByteCodePage(unsigned codePage);

// True when bytes are UTF-8 with no overlong form, no surrogate, nothing above
// U+10FFFF and no stray or missing continuation byte (a character cut off at the end
// included).
bool IsStrictUtf8(std::string_view bytes);

// The number of bytes of the character that starts at byte i of UTF-8 text: 1 for an
// ASCII byte and for any byte that starts no valid sequence, so that stepping with it
// always moves on and never runs past the end.
size_t CharLengthAt(std::string_view text, size_t i);

// UTF-8 as UTF-16; each byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
// UTF-16 code units of the given byte order as UTF-8; an odd last byte is dropped.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Bytes of a code page as UTF-8. Bytes that form no character of the code page become
// U+FFFD (the system's own replacement). An unknown code page is never read as another
// one: its bytes above 0x7F give no character.
std::string DecodeCodePage(std::string_view bytes, unsigned codePage);
// True when every byte sequence of bytes is a character of the code page (no byte or
// pair the code page leaves undefined); false for any bytes of an unknown code page.
bool IsValidInCodePage(std::string_view bytes, unsigned codePage);
// UTF-8 as bytes of a code page; a character the code page lacks becomes "?" (never a
// "best fit" look-alike). complete, when given, tells whether every character had a form.
std::string EncodeCodePage(std::string_view utf8, unsigned codePage, bool* complete = nullptr);

}  // namespace enc

#ifdef _WIN32
#include <string>
namespace enc {
// UTF-8 as the UTF-16 of the "W" interfaces, and back (wchar_t is a UTF-16 unit there).
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
}  // namespace enc
#endif
