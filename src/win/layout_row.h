// The vocabulary of the window layouts: one LayoutRow row per control.
#pragma once

#include <cstdint>

enum class ControlKind : uint8_t {
  GroupBox,
  DrawingBoard,
  Label,
  TransparentLabel,
  CheckBox,
  Edit,
  Button,
  ImageButton,
  TabControl,
  FileList,
  ListView,
  VirtualListView,  // a report list view that stores no rows: a RowSource gives them
  ProgressBar,
  Hyperlink,
  PictureBox,
  WebBrowser,
  Timer,         // no window: a window timer of the form
  CommonDialog,  // no window until used
  Menu,          // a drop-down menu of the menu bar
  MenuItem,      // an item of the Menu named as its parent
  HotKey,        // no window: a key combination held for the form system-wide, whichever
                 // program has the focus; its text names it, as "Ctrl+Alt+P"
};

struct ColumnRow {
  const char* caption;
  int width;
};

constexpr int kNoParent = -1;  // a control placed directly on the window

struct LayoutRow {
  int id;             // index of the row; equals the control's enum value
  const char* name;   // the control's name, as handlers call it
  ControlKind kind;
  int parent;         // row of the containing group box, tab control or menu; kNoParent
  int page;           // 1-based tab page for children of a tab control; 0 otherwise
  int x, y, w, h;     // relative to the parent's client area
  const char* text;   // caption, default content, file pattern, URL or start page
  const ColumnRow* columns;  // list views: their columns
  int columnCount;
  int timerMs;        // timers: the period they start with (0 = stopped)
  const char* target = nullptr;  // hyperlinks: the address they open
};

struct WindowLayout {
  const char* name;
  int x, y, w, h;     // outer size
  const char* title;
  const LayoutRow* controls;
  int controlCount;
  bool popup = false;  // a borderless tool window: no caption, no keyboard navigation, and
                       // the program goes on without it
};
