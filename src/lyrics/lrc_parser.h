// LRC parsing: the whole file text (UTF-8, already cut at its first zero byte) into a
// LyricTimeline.
//
// Time tags are every stretch matching \[[0-9]*:[0-9]*.[0-9]*\] (the dot stands for any
// byte). The text is split into lines at CR LF (blank runs turned into "*****" markers,
// marker and header lines dropped). Each tag takes its text from the line it stands on,
// so that lines sharing a time stamp (a lyric and its translation) keep their own texts;
// a tag that stands on a dropped line takes the first line that contains the tag text,
// or an empty text when none does. A line's text is the line with all time tags, all
// word times (<mm:ss.xx>) and the line breaks at its ends cut out. Entries are ordered
// by a bisection insertion in tag order.
// Runs in time near-linear in the size of the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lyrics/lyric_timeline.h"

// Fills every field of timeline; false only when a tag's time cannot be read.
bool parseLrc(std::string_view lrcText, LyricTimeline& timeline);

// Milliseconds of a time tag such as "[01:02.50]": minutes, seconds, and the digits
// after the seconds' separator read as a decimal fraction of a second (truncated to
// whole ms). -1 when the text has no minutes or seconds part. Saturates at INT32_MAX.
int32_t tagToMs(std::string_view tagText);
