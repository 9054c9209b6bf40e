#include "delivery/playback.h"

int32_t lyricCursor = 0;
