// Text helpers for the program's text: UTF-8 in a std::string (text/encoding.h).
//
// Positions are 1-based byte positions. Searches and splits step from character start
// to character start (a byte that starts no valid sequence counts as a character of its
// own), so a match never starts inside a character. Nothing here throws or reports
// errors: out-of-range arguments give empty texts, -1 or 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace utf8 {

// Length in bytes.
int32_t Len(std::string_view s);

// First n bytes (n <= 0 gives empty, n beyond the end gives the whole text).
std::string Left(std::string_view s, int32_t n);
// Last n bytes.
std::string Right(std::string_view s, int32_t n);
// n bytes from the 1-based position start; empty when start lies outside the text,
// cut at the end of the text.
std::string Mid(std::string_view s, int32_t start, int32_t n);

// 1-based position of the first occurrence of needle at or after start, or -1.
// Candidate positions are character starts counted from the beginning of the text.
// An empty needle, or a start outside the text, gives -1.
int32_t Find(std::string_view hay, std::string_view needle, int32_t start = 1,
             bool ignoreAsciiCase = false);
// 1-based position of the last occurrence of needle that starts at or before start
// (start < 1 or beyond the text means: from the end), or -1. Same stepping as Find.
int32_t FindBackwards(std::string_view hay, std::string_view needle, int32_t start = -1,
                      bool ignoreAsciiCase = false);

// Case folding of the ASCII letters only; bytes of multi-byte characters are untouched.
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);

// Pieces between delimiters, empty pieces included; no empty piece after a delimiter
// at the very end; an empty text gives no pieces; an empty delimiter gives the whole
// text as one piece. Delimiters are only found at character starts.
std::vector<std::string> Split(std::string_view s, std::string_view delim);

// A leading decimal number as a double; 0 when there is none. Grammar: ASCII white
// space skipped, optional sign, digits with an optional "." and fraction digits (at
// least one digit in all, ".5" and "5." count), then an exponent only when "e"/"E",
// an optional sign and digits follow. No hex, "inf" or "nan". Beyond the range of a
// double: +-HUGE_VAL, or 0 when too small.
double ToNumber(std::string_view s);
// Leading ASCII white space skipped, optional sign, decimal digits up to the first
// other byte; 0 when there are none. Values beyond 32 bits saturate at
// INT32_MIN/INT32_MAX.
int32_t ToInt32(std::string_view s);

// Decimal text of an integer.
std::string IntToText(int64_t v);
// At most 13 significant digits, no trailing zeros ("%.13g").
std::string DoubleToText(double v);

// The text as it may be typed into another program: every control character (Unicode
// category Cc: below 0x20, 0x7F to 0x9F) dropped, for an edit control takes 0x16 as
// Ctrl+V, 0x03 as Ctrl+C and so on; the format characters (Cf: zero-width ones,
// direction marks and overrides such as U+202E, the byte-order mark) and the line and
// paragraph separators (U+2028, U+2029) dropped too, so that a text shows what it says.
// A tab becomes a space.
std::string TypeableText(std::string_view s);

// The longest start of s, ending at a character, that takes at most maxUnits UTF-16
// units (a character beyond the BMP takes two).
std::string CutToUtf16Units(std::string_view s, size_t maxUnits);

// Bytes read from a file or the network as text: cut at the first zero byte.
std::string BytesToText(std::string_view bytes);

}  // namespace utf8
