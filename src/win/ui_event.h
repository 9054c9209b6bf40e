// The events a form raises, and how a program binds them to its handlers: a table of
// bindings that the program hands to the window layer once, at start-up.
#pragma once

#include <cstddef>

// The program's windows, an index into the layouts handed to the window layer; the
// enumerators are declared with the layouts (layout/program_windows.h).
enum class WindowKind : int;

enum class UiEvent : int {
  Created,            // the window exists; a control is made, if not yet, when asked for
  Activated,          // the window became the active window
  Destroyed,          // the window is going; its controls are still there
  Clicked,            // buttons
  LeftButtonDown,     // drawing boards, group boxes
  MouseMoved,         // drawing boards: the mouse moved over it, or anywhere while it holds the capture
  LeftButtonUp,       // drawing boards: as MouseMoved
  CaptureLost,        // drawing boards: another window took the mouse capture it held
  EscapePressed,      // drawing boards: Esc was pressed while it had the focus
  SelectionChanged,   // file lists: the selected entry changed
  DoubleClicked,      // file lists, list views
  FocusedRowChanged,  // list views: a row was clicked
  OtherListEvent,     // list views: any further notification worth a binding
  TimerTick,
  Chosen,             // menu items
  PageChanged,        // tab controls
  EnterPressed,       // edit boxes: Enter was pressed in it
  Pressed,            // hot keys: pressed, whichever program has the focus
};

constexpr int kWindowItself = -1;

using Handler = void (*)();

struct EventBinding {
  WindowKind window;
  int control;  // the control's enum value, or kWindowItself
  UiEvent event;
  Handler handler;
};
