// The window layer: builds the three windows from their layouts, routes their events
// through the event table, and gives handlers typed access to controls by name:
//
//   M(MainCtl::编辑框1).SetText(folder);
//   if (M(MainCtl::超级按钮4).Text() == "播 放") ...
//
// A control whose window does not exist (its window was never loaded or is already
// destroyed) reads as empty and ignores writes, so a handler that runs on after its
// window closed touches nothing destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/layout_row.h"
#include "win/ui_event.h"

class Form;
class DrawingBoard;

// Where a virtual list view gets its rows: the control stores none and asks for each
// cell it shows, or that anyone (this program, a screen reader) asks it for.
struct RowSource {
  std::string (*cell)(int row, int column);
  intptr_t (*data)(int row);  // the row's item data
};

// A non-owning handle on one control of a loaded window.
class Control {
 public:
  Control(WindowKind window, int index) : window_(window), index_(index) {}

  HWND Handle() const;        // null for controls without a window, or when not loaded
  bool Exists() const;
  const LayoutRow& Row() const;  // the control's row in its window's layout

  // Caption of buttons, labels and group boxes; content of edit boxes.
  std::string Text() const;
  void SetText(std::string_view text) const;

  bool Checked() const;
  void SetChecked(bool checked) const;

  bool Visible() const;
  void SetVisible(bool visible) const;

  // Timers: a positive period runs the timer, 0 or less stops it; setting the period
  // it already has leaves it running undisturbed.
  int TimerPeriod() const;
  void SetTimerPeriod(int ms) const;

  // List views (rows 0-based).
  int RowCount() const;
  void DeleteAllRows() const;
  int InsertRow(std::string_view firstColumn, intptr_t itemData) const;  // at the end
  void SetCell(int row, int column, std::string_view text) const;
  std::string Cell(int row, int column) const;
  intptr_t RowData(int row) const;  // 0 when there is no such row
  void DeleteRow(int row) const;
  int SelectedRow() const;          // -1: none
  void SetSelectedRow(int row) const;
  void EnsureVisible(int row) const;
  int ColumnCount() const;
  std::string ColumnCaption(int column) const;
  int ColumnWidth(int column) const;
  // Virtual list views: shows rows 0 .. count - 1 of source, with no row selected. The
  // source must outlive the rows shown.
  void ShowRows(const RowSource& source, int count) const;

  // File lists: the folder they list (never empty once created), their entries and
  // the selected entry (file name without folder; empty when none).
  std::string Folder() const;
  void SetFolder(std::string_view folder) const;
  std::vector<std::string> Entries() const;
  std::string SelectedEntry() const;
  void SetSelectedEntry(int index) const;  // selects without raising the list's events

  // Tab controls: 0-based page; SetCurrentPage limits the value to the last page.
  int CurrentPage() const;
  void SetCurrentPage(int page) const;

  // Drawing boards.
  DrawingBoard* Board() const;

 private:
  Form* LiveForm() const;
  WindowKind window_;
  int index_;
};

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
  bool modal = false;     // return only when the window has been closed
  std::optional<WindowKind> owner;  // the window that owns it, if any
};

// Creates the window and all its controls, then runs its creation handler. Returns the
// window's handle (null if creation failed or the creation handler destroyed it).
HWND LoadWindow(WindowKind kind, const LoadOptions& options);
HWND WindowHandle(WindowKind kind);  // null when the window does not exist
bool WindowExists(WindowKind kind);
void DestroyWindowNow(WindowKind kind);
// Posts the destruction to the window; it happens when its thread next dispatches.
void DestroyWindowDeferred(WindowKind kind);
void SetAlwaysOnTop(WindowKind kind, bool onTop);
void SetWindowVisible(WindowKind kind, bool visible);

// Dispatches every message waiting for this thread once, then returns. A quit request
// met on the way is put back for the message loop.
void ProcessPendingMessages();
// Runs the message loop until no window of the program is left; returns the exit code.
int RunMessageLoop();

// Message box without owner, task-modal; returns the button pressed.
int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);
void OpenWebAddress(std::string_view url);

// The folder holding the running program file, without a trailing backslash.
std::string ProgramFolder();

}  // namespace ui
