// A window's rectangle as the user sees it. Where the desktop is composed (DWM, always on
// Windows 8 and later), GetWindowRect takes in the invisible resize borders around a
// top-level window, a few pixels on the left, right and bottom; the composition's own
// answer (DWMWA_EXTENDED_FRAME_BOUNDS) leaves them out. Where DWM does not answer
// (composition off, Wine, a child window), GetWindowRect's rectangle is the one seen.
#pragma once

#include <windows.h>

// DwmGetWindowAttribute's form, bound from dwmapi.dll (system folder) at its first use.
using WindowAttributeFunction = HRESULT(WINAPI*)(HWND window, DWORD attribute, void* value, DWORD size);

// The rectangle in the screen's pixels; false when window is no window.
bool VisibleWindowBounds(HWND window, RECT* bounds);

// Asks function instead of DwmGetWindowAttribute (null: the system's again): a test
// hands in the answer of a system whose DWM answers.
void AskWindowAttributeWith(WindowAttributeFunction function);
