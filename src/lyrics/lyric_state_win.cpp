#include "lyrics/lyric_state.h"

LyricTimeline currentTimeline;
std::string loadedLrcText;
