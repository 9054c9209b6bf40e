#include "win/window_bounds.h"

#include <dwmapi.h>

#include "win/system_library.h"

namespace {

WindowAttributeFunction& Replacement() {
  static WindowAttributeFunction function = nullptr;
  return function;
}

// Null when the system has no dwmapi.dll (XP) or no such function in it.
WindowAttributeFunction SystemFunction() {
  static const WindowAttributeFunction function =
      system_library::Function<WindowAttributeFunction>(L"dwmapi.dll", "DwmGetWindowAttribute");
  return function;
}

}  // namespace

bool VisibleWindowBounds(HWND window, RECT* bounds) {
  if (!IsWindow(window)) return false;
  const WindowAttributeFunction ask = Replacement() ? Replacement() : SystemFunction();
  RECT extended = {};
  if (ask && SUCCEEDED(ask(window, DWMWA_EXTENDED_FRAME_BOUNDS, &extended, sizeof(extended))) &&
      extended.right > extended.left && extended.bottom > extended.top) {
    *bounds = extended;
    return true;
  }
  return GetWindowRect(window, bounds) != FALSE;
}

void AskWindowAttributeWith(WindowAttributeFunction function) { Replacement() = function; }
