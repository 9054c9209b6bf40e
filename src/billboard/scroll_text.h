// The text side of the scroller and the billboard: the scroller's step (its blank
// trimming is text/trim_blanks.h) and the reading of a period box. No windows here, so
// that all of it runs in the native tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// True when the text begins with a character of the first level of GB2312 (lead byte
// B0..D7, trail byte A1..FE). Every other start, full-width punctuation and second-level
// characters included, is a single byte to the scroller.
bool StartsWithLevel1Hanzi(std::string_view text);

// One scroller step: the trimmed text with its first unit moved to the end, where a unit
// is a first-level Chinese character or else one byte. A blank that reaches either end
// is trimmed away at the next step.
std::string RotatedScrollText(std::string_view text);

// A period box's text in milliseconds, read as a 32-bit integer (leading blanks, an
// optional sign, digits up to the first other character, 0 when there is no number,
// saturating at the int32 bounds). Users type periods with a Chinese input method on, so
// the full-width forms of row A3 (digits, sign) and the full-width space read as their
// ASCII counterparts. "250ms" reads as 250.
int32_t ReadPeriodMs(std::string_view text);
