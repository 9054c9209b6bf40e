// How the bytes of a lyric file become the text the parser reads (UTF-8, text/encoding.h).
//
// Lyric files come in whatever their maker's editor wrote: GBK, Big5 (Taiwan's and Hong
// Kong's traditional encoding), the code page of the maker's Windows (1252 for a Western
// song saved by an old player, Shift-JIS on Japanese Windows), UTF-8 with or without a
// byte-order mark, UTF-16 with a mark, and with CR LF, bare LF (Linux, macOS) or bare CR
// line ends. The loader decodes the bytes (DecodeLyricBytes) and then normalises the line
// ends (NormalizeLineEnds). Which legacy code page unmarked bytes are read in depends on
// the system's code page (systemCodePage below, the machine's own unless given).
#pragma once

#include <string>
#include <string_view>

// systemCodePage below: 0 stands for the machine's own (enc::SystemCodePage).

enum class LyricEncoding {
  Gbk,           // no mark, not UTF-8: GBK (ASCII only included)
  Big5,          // no mark, not UTF-8, bytes that can only be Big5 (IsOnlyBig5)
  System,        // no mark, not UTF-8, read in the system's code page
  Western,       // no mark, neither UTF-8 nor GBK nor Big5 on a Chinese system: 1252
  Utf16Le,       // FF FE mark
  Utf16Be,       // FE FF mark
  Utf8WithMark,  // EF BB BF mark
  Utf8,          // no mark, strictly valid UTF-8 as a whole, at least one multi-byte character
};

// Which of the above the bytes are: a byte-order mark decides; otherwise strictly valid
// UTF-8 is UTF-8 (GBK text is never strictly valid UTF-8 unless every two-byte character
// happens to form a UTF-8 sequence, which real lines do not: the lead bytes B0-BF of most
// common characters are UTF-8 continuation bytes). Otherwise, by the system's code page:
//   - Chinese (936, 950): Big5 when the bytes can only be Big5, else GBK when they are
//     GBK or Big5, else Western (no Chinese text at all: an old Western player's file);
//   - another double-byte one (932 Japanese, 949 Korean, ...): System when the bytes are
//     valid in it, else as on a Chinese system but never Western;
//   - a single-byte one (1252 and its kin): Big5 when only Big5, GBK when valid GBK (a
//     Chinese user on English Windows), else System.
LyricEncoding DetectLyricEncoding(std::string_view bytes, unsigned systemCodePage = 0);

// The conservative Big5 rule: every byte pair is a Big5 character that is not of Big5's
// private-use areas, and read as GBK at least one pair falls in GBK's private-use
// (user-defined) areas, which no GBK text written with a standard input method holds.
// Big5's punctuation (A1 40-7E) and its commonest characters (A4-A7 40-7E, AA-AF A1-FE …)
// are exactly such pairs, so nearly every Big5 line shows one; a GBK text, with its own
// traditional characters included, shows none. A Big5 line without any (no punctuation,
// none of the commonest characters, such as 星星眨著眼睛) is GBK text as well and stays GBK.
bool IsOnlyBig5(std::string_view bytes);

// The file's text as UTF-8, cut at its first zero byte (after the conversion). Nothing
// is squeezed through a narrower code page: every character the file holds is kept.
std::string DecodeLyricBytes(std::string_view bytes, unsigned systemCodePage = 0);

// Every bare LF and every bare CR becomes CR LF; CR LF pairs stay as they are, so a
// CR LF file comes out byte for byte unchanged.
std::string NormalizeLineEnds(std::string_view text);

// A lyric file's bytes as the text the parser reads: decoded, cut at its first zero
// byte, every line end made CR LF.
std::string LyricFileText(std::string_view bytes, unsigned systemCodePage = 0);
