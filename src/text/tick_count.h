// Arithmetic on the 32-bit millisecond tick count of the system.
#pragma once

#include <cstdint>

// True once more than ms ticks lie between start and now. Measured as a difference so
// that a tick count wrapping past 2^32 (every 49.7 days) cannot stretch a 10 ms wait
// into a 49-day one.
bool TicksHavePassed(uint32_t start, uint32_t now, uint32_t ms);
