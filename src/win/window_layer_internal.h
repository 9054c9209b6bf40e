// What the window layer's own parts (control window procedures) share.
#pragma once

#include <windows.h>

#include "win/ui_event.h"

namespace ui_internal {

// Raises an event of the control whose window is hwnd, through the event table.
void RaiseControlEvent(HWND control, UiEvent event);
// The font of every control (a GBK-capable UI font).
HFONT UiFont();
// The font of check boxes whose caption wraps: the UI face with lines 12 pixels apart.
HFONT TwoLineFont();

}  // namespace ui_internal
