// The window layer: loads the program's windows (forms) from the layouts it is handed,
// routes their events through the event table it is handed, and gives handlers typed
// controls (win/controls.h). It knows no feature and no particular window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string_view>

#include "win/controls.h"
#include "win/layout_row.h"
#include "win/ui_event.h"

namespace ui {

// What the program is made of: the layout of each window, indexed by WindowKind, and the
// table that binds the windows' events to handlers. Handed in once, before the first
// window is loaded; both must live as long as the program.
struct ProgramWindows {
  const WindowLayout* const* layouts;
  int windowCount;
  const EventBinding* events;
  size_t eventCount;
};
void UseProgram(const ProgramWindows& program);

struct LoadOptions {
  bool show = true;       // show after the creation handler (if the window still exists)
  std::optional<WindowKind> owner;  // the window that owns it, if any
};

// Creates the window and all its controls, then runs its creation handler. Returns the
// window's handle (null if creation failed or the creation handler destroyed it).
HWND LoadWindow(WindowKind kind, const LoadOptions& options);
HWND WindowHandle(WindowKind kind);  // null when the window does not exist
bool WindowExists(WindowKind kind);
// The DPI the window is scaled for, and a length of its layout (96-DPI pixels) in its
// own pixels; without the window, the system's.
int WindowDpi(WindowKind kind);
int ScaleFor(WindowKind kind, int value);
void DestroyWindowNow(WindowKind kind);
// Posts the destruction to the window; it happens when its thread next dispatches.
void DestroyWindowDeferred(WindowKind kind);
void SetAlwaysOnTop(WindowKind kind, bool onTop);
void SetWindowVisible(WindowKind kind, bool visible);
// The text of the window's title bar (its layout's title until set).
void SetWindowTitle(WindowKind kind, std::string_view title);
// The title its layout gives the window.
std::string_view LayoutTitle(WindowKind kind);

}  // namespace ui
