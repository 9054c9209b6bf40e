// The text side of the scroller and the billboard: the scroller's step (its blank
// trimming is text/trim_blanks.h) and the reading of a period box. No windows here, so
// that all of it runs in the native tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One scroller step: the trimmed text with its first character moved to the end. A blank
// that reaches either end is trimmed away at the next step.
std::string RotatedScrollText(std::string_view text);

// A period box's text in milliseconds, read as a 32-bit integer (leading blanks, an
// optional sign, digits up to the first other character, 0 when there is no number,
// saturating at the int32 bounds). Users type periods with a Chinese input method on, so
// the full-width forms (digits, sign) and the ideographic space read as their ASCII
// counterparts. "250ms" reads as 250.
int32_t ReadPeriodMs(std::string_view text);

// The shortest wait between two steps of the scroller or the billboard: at most five
// nickname changes a second, since a chat server may mute or ban a member who changes
// it faster.
constexpr int32_t MIN_STEP_PERIOD_MS = 200;

// The wait a period box asks for (ReadPeriodMs), never shorter than MIN_STEP_PERIOD_MS:
// an empty box, 0, a negative or a shorter period waits that long.
int32_t StepPeriodMs(std::string_view text);
