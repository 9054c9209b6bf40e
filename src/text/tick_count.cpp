#include "text/tick_count.h"

bool TicksHavePassed(uint32_t start, uint32_t now, uint32_t ms) { return static_cast<uint32_t>(now - start) > ms; }
