// The loaded lyric, shared by the loader, the lyric table and playback.
#pragma once

#include <string>

#include "build_settings.h"
#include "lyrics/lyric_timeline.h"

extern LyricTimeline currentTimeline;  // the parsed lyric of the last loaded file
extern std::string loadedLrcText;      // that file's whole text

// Shown and sent in place of an empty lyric line.
inline constexpr const char kCreditText[] = RAVO_MAKER_ADDRESS "-提供字幕";
