// How the bytes of a lyric file become the GBK text the parser reads.
//
// Lyric files come in whatever their maker's editor wrote: GBK, UTF-8 with or without a
// byte-order mark, UTF-16 with a mark, and with CR LF, bare LF (Linux, macOS) or bare CR
// line ends. The parser reads GBK with CR LF line ends, so the loader decodes the bytes
// (DecodeLyricBytes) and then normalises the line ends (NormalizeLineEnds).
#pragma once

#include <string>
#include <string_view>

enum class LyricEncoding {
  Gbk,           // taken byte for byte
  Utf16Le,       // FF FE mark
  Utf16Be,       // FE FF mark
  Utf8WithMark,  // EF BB BF mark
  Utf8,          // no mark, strictly valid UTF-8 as a whole, at least one multi-byte character
};

// Which of the above the bytes are. GBK text is never strictly valid UTF-8 unless every
// two-byte character happens to form a UTF-8 sequence, which real lines do not (the
// lead bytes B0-BF of most common characters are UTF-8 continuation bytes).
LyricEncoding DetectLyricEncoding(std::string_view bytes);

// True when bytes are UTF-8 with no overlong form, no surrogate, nothing above U+10FFFF,
// no stray or missing continuation byte (a character cut off at the end included).
bool IsStrictUtf8(std::string_view bytes);

// UTF-8 as UTF-16; each byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);
// UTF-16 code units of the given byte order; an odd last byte is dropped.
std::u16string Utf16BytesToUtf16(std::string_view bytes, bool bigEndian);

// Converts UTF-16 to GBK, '?' for a character GBK lacks. The program passes the
// system's converter; the native tests and the fuzzer pass one of their own.
using Utf16ToGbkFn = std::string (*)(std::u16string_view);

// The file's bytes as GBK text, cut at its first zero byte (after the conversion).
std::string DecodeLyricBytes(std::string_view bytes, Utf16ToGbkFn toGbk);

// Every bare LF and every bare CR becomes CR LF; CR LF pairs stay as they are, so a
// CR LF file comes out byte for byte unchanged.
std::string NormalizeLineEnds(std::string_view text);
