// Lines of a lyric that are due at one moment go out as one text, in a timed play and
// while following a music player alike.
#pragma once

#include <cstdint>
#include <string>

#include "lyrics/lyric_timeline.h"

// The last of the lines from line on (1-based) that are due at the same moment as line.
int32_t LastOfMoment(const LyricTimeline& timeline, int32_t line);
// The first of the lines up to line (1-based) that are due at the same moment as line.
int32_t FirstOfMoment(const LyricTimeline& timeline, int32_t line);

// The text of lines first to last (one moment): "lyric / translation", in file order,
// each text once however many of the moment's tags it carries.
std::string TextOfMoment(const LyricTimeline& timeline, int32_t first, int32_t last);
