// A loaded window (a form) and what the window layer's own files share about forms:
// the program's layouts and event table, the live forms, fonts, and the parts that
// build forms, route their messages and move the focus.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "win/controls.h"
#include "win/file_list.h"
#include "win/layout_row.h"
#include "win/ui_event.h"

namespace ui_internal {

constexpr UINT kControlIdBase = 1000;   // a control's id: this plus its row
constexpr UINT WM_RAVO_DESTROY = WM_APP + 1;
constexpr UINT WM_RAVO_BUILD = WM_APP + 3;  // the rest of the form's controls, after its first paint
constexpr LPARAM kShiftDown = 1;
constexpr LPARAM kCtrlDown = 2;
constexpr int kToolTipWidth = 420;  // at 96 DPI: wider tips wrap; "\r\n" always starts a line

const WindowLayout& LayoutOf(WindowKind kind);
// The handler the program's event table binds to an event, or an empty one.
Handler FindHandler(WindowKind window, int control, UiEvent event);

}  // namespace ui_internal

// A loaded window: its handle and the state of its controls.
class Form {
 public:
  explicit Form(WindowKind kind) : kind(kind), layout(ui_internal::LayoutOf(kind)) {
    const size_t n = static_cast<size_t>(layout.controlCount);
    controls.assign(n, nullptr);
    timerPeriods.assign(n, 0);
    fileLists.resize(n);
    rowSources.assign(n, RowSource{});
    hotKeysHeld.assign(n, false);
    made.assign(n, false);
  }

  WindowKind kind;
  const WindowLayout& layout;
  HWND hwnd = nullptr;
  int dpi = 96;  // the window's: its rows' rectangles and fonts are scaled by it
  HMENU menuBar = nullptr;
  std::vector<HWND> controls;
  std::vector<HMENU> menus;  // by control index, for Menu rows
  std::vector<int> timerPeriods;
  std::vector<std::unique_ptr<FileList>> fileLists;
  std::vector<RowSource> rowSources;  // virtual list views: what they show
  bool quietListChanges = false;  // programmatic selection raises no list events
  HWND lastFocus = nullptr;       // the control that had the focus when the window was left
  std::vector<bool> hotKeysHeld;  // by control index, for HotKey rows
  HWND toolTips = nullptr;        // the tips of its controls, made with the first one, no
                                  // owned window (it would keep the form from the top)
  // Which rows have been made, and whether all of them have: the rows the user cannot
  // see yet are made after the window's first paint, or at once when asked for.
  std::vector<bool> made;
  bool built = false;

  // Runs the handler the event table binds to the event, if any. The one barrier between
  // the handlers and the system: a handler that throws is recorded with its cause
  // (win/failure_record.h) and the program goes on, where the exception would otherwise
  // unwind into the system's window procedure and end the program.
  void Raise(int control, UiEvent event, UiEventData data = {});
  int IndexOf(HWND child) const {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i] == child) return static_cast<int>(i);
    return -1;
  }
  // The control that is or holds the window (a list view's header, say); -1: none.
  int ControlHolding(HWND window) const {
    for (HWND w = window; w && w != hwnd; w = GetParent(w))
      if (const int i = IndexOf(w); i >= 0) return i;
    return -1;
  }
  // Shows one page of a tab control. The labels and group boxes on a page let the page
  // show through, so the page goes first and then the tab is drawn afresh, its children
  // with it: otherwise what the last page drew stays under them.
  void ShowPage(int tabIndex, int page0) {
    for (int i = 0; i < layout.controlCount; ++i) {
      const LayoutRow& c = layout.controls[i];
      if (c.parent == tabIndex && c.page > 0 && controls[i] && c.page - 1 != page0) ShowWindow(controls[i], SW_HIDE);
    }
    for (int i = 0; i < layout.controlCount; ++i) {
      const LayoutRow& c = layout.controls[i];
      if (c.parent == tabIndex && c.page > 0 && controls[i] && c.page - 1 == page0) ShowWindow(controls[i], SW_SHOW);
    }
    if (controls[tabIndex])
      RedrawWindow(controls[tabIndex], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
};

namespace ui_internal {

Form* FormOf(WindowKind kind);
// The form of a window or of any control in it.
Form* FormOfWindow(HWND hwnd);
// A form begins and ends: the main and update windows keep the program and its keyboard
// navigation going; when the last of them ends, the message loop is asked to quit.
void FormCreated(Form* f);
void FormDestroyed(Form* f);
int TopLevelWindowCount();

HINSTANCE Instance();
// The font of every control (a UI font with Chinese glyphs), at a DPI.
HFONT UiFont(int dpi);
// The font of check boxes whose caption wraps: the UI face with lines 12 pixels apart
// at 96 DPI.
HFONT TwoLineFont(int dpi);
// Raises an event of the control whose window is hwnd, through the event table.
void RaiseControlEvent(HWND control, UiEvent event, UiEventData data = {});

// Building: the window classes of the controls, and one control of a form by its row.
void EnsureControlClasses();
void CreateControl(Form& f, int index);
// Building in two steps: first the rows the window shows when it appears (BuildShownRows:
// without the tab pages' rows until a creation handler has chosen the page shown), then, after the
// first paint, the rest (CompleteForm: hidden tab pages, rows outside the window, the web
// browser). MakeRow makes one row at once, with the rows that hold it, when a handler
// asks for a control not yet made. CompleteForm leaves the controls in the stacking order
// that making every row in order gives.
void BuildShownRows(Form& f, bool withPages);
void MakeRow(Form& f, int index);
void CompleteForm(Form& f);
// The window has moved to a monitor of another DPI (f.dpi is the new one): every control
// made takes its row's rectangle and font at that DPI, list view columns and drawing
// boards scale with it.
void RescaleForm(Form& f, int oldDpi);
// The form's own window class, whose procedure routes the messages of a form.
const wchar_t* FormClass();
// The window's icons, in the sizes of its DPI.
void SetFormIcons(const Form& f);
void EnsureFormClass();

// Check boxes whose caption wraps onto a second line at a DPI, drawn by the form.
bool CaptionWraps(const LayoutRow& c, int dpi);
LRESULT DrawWrappedCheckBox(const NMCUSTOMDRAW& cd);

// Hot key rows: held from the form's creation (id kControlIdBase plus the row) until
// the form's window goes.
void HoldHotKey(Form& f, int index);
void LetGoOfHotKeys(Form& f);

// The keyboard, as in a dialog box: true when msg was a navigation key of a form's
// window and has been acted on (the loop then neither translates nor dispatches it).
bool TakeNavigationKey(const MSG& msg);
void OnNavigationKey(Form& f, WPARAM key, LPARAM modifiers);

}  // namespace ui_internal
