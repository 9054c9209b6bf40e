// The events a form raises, what each knows, and how a program binds them to its
// handlers: a table of bindings that the program hands to the window layer, each
// binding a member of one of the program's objects.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

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
  FocusedRowChanged,  // list views: a row gained the focus
  TimerTick,
  Chosen,             // menu items
  PageChanged,        // tab controls
  EnterPressed,       // edit boxes: Enter was pressed in it
  Pressed,            // hot keys: pressed, whichever program has the focus
};

constexpr int kWindowItself = -1;

// What an event knows, filled in by the window layer as it raises it.
struct UiEventData {
  int control = kWindowItself;  // the row of the control that raised it: the timer that
                                // ticked, the hot key pressed, the button clicked
  // File lists: the selected entry's index; list views: the selected row (DoubleClicked)
  // or the row that gained the focus (FocusedRowChanged); tab controls: the page now
  // shown. -1: none.
  int row = -1;
  // File lists: the selected entry's full path (the folder and a backslash when none is
  // selected).
  std::string text;
};

// A handler: a member of one object, called through a thunk that knows its class.
struct Handler {
  void* object = nullptr;
  void (*thunk)(void* object, const UiEventData& data) = nullptr;

  explicit operator bool() const { return thunk != nullptr; }
  void operator()(const UiEventData& data) const { thunk(object, data); }
};

// Binds member of object: Bind<&Playback::OnTimer>(playback). The member takes the event's
// data or nothing; object must outlive the binding.
template <auto member, class Class>
Handler Bind(Class& object) {
  return {&object, [](void* o, const UiEventData& data) {
            Class& self = *static_cast<Class*>(o);
            if constexpr (std::is_invocable_v<decltype(member), Class&, const UiEventData&>) {
              (self.*member)(data);
            } else {
              (self.*member)();
            }
          }};
}

struct EventBinding {
  WindowKind window;
  int control;  // the control's enum value, or kWindowItself
  UiEvent event;
  Handler handler;
};
