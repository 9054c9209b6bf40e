// The text format of the target window's handle as the hidden box `编辑框_窗口句柄`
// holds it: written as unsigned decimal, read back leniently. Only the target window's
// accessors (target_window.h) use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The handle held as decimal text: optional leading white space, an optional sign, then
// decimal digits up to the first other byte. Both the unsigned and the signed 32-bit
// spelling of a handle read back as the same handle. Gives 0 (no window) when there are
// no digits, when the number does not fit in 32 bits (it cannot name a window, and
// wrapping it could name an unrelated one) and for 65535, which PostMessage would take
// as HWND_BROADCAST and hand to every top-level window of the desktop.
uint32_t ParseTargetHandle(std::string_view text);

// A handle as the box holds it: handles are 32-bit values, written unsigned.
std::string TargetHandleText(uint32_t handle);
