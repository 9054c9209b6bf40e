// The binding of window events to handlers: one readable table.
#pragma once

#include <cstddef>

enum class WindowKind : int { Main, Update, Picker };
constexpr int kWindowKinds = 3;

enum class UiEvent : int {
  Created,            // the window and all its controls exist
  Activated,          // the window became the active window
  Clicked,            // buttons
  LeftButtonDown,     // drawing boards, group boxes
  SelectionChanged,   // file lists: the selected entry changed
  DoubleClicked,      // file lists, list views
  FocusedRowChanged,  // list views: a row was clicked
  OtherListEvent,     // list views: any further notification worth a binding
  TimerTick,
  Chosen,             // menu items
  PageChanged,        // tab controls
  EnterPressed,       // edit boxes: Enter was pressed in it
};

constexpr int kWindowItself = -1;

struct EventBinding {
  WindowKind window;
  int control;  // the control's enum value, or kWindowItself
  UiEvent event;
  void (*handler)();
};

extern const EventBinding kEventTable[];
extern const size_t kEventTableSize;

// The handler bound to an event, or null.
using Handler = void (*)();
Handler FindHandler(WindowKind window, int control, UiEvent event);
