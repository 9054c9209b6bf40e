// The keyboard, as in a dialog box.
//
// Tab and Shift+Tab move the focus through the controls the user can see, in layout
// order; Ctrl+Tab and Ctrl+Shift+Tab change the tab page; Enter presses a focused
// button, or raises EnterPressed in an edit box bound to it. (Space presses buttons by
// itself.) The message loop hands every message to TakeNavigationKey before translating
// it, as a dialog box's loop does with IsDialogMessage; what a key starts runs there,
// between two messages.
#include "win/form.h"

namespace ui_internal {
namespace {

bool TakesFocus(const Form& f, int index) {
  HWND h = f.controls[index];
  if (!h || !(GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) || !IsWindowEnabled(h)) return false;
  for (HWND w = h; w && w != f.hwnd; w = GetParent(w))
    if (!(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE)) return false;  // on another tab page
  // Controls that only store values lie outside the client area.
  RECT rc, client, both;
  GetWindowRect(h, &rc);
  GetClientRect(f.hwnd, &client);
  MapWindowPoints(f.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return IntersectRect(&both, &rc, &client) != FALSE;
}

// Moves the focus to the next control after `from` in layout order (-1: from the start),
// or the previous one; returns whether a control took it.
bool MoveFocus(Form& f, int from, bool backwards) {
  const int n = f.layout.controlCount;
  if (from < 0) from = backwards ? n : -1;
  for (int step = 1; step <= n; ++step) {
    const int i = ((from + (backwards ? -step : step)) % n + n) % n;
    if (!TakesFocus(f, i)) continue;
    SetFocus(f.controls[i]);
    if (f.layout.controls[i].kind == ControlKind::Edit) SendMessageW(f.controls[i], EM_SETSEL, 0, -1);
    return true;
  }
  return false;
}

void TurnPage(Form& f, bool backwards) {
  for (int t = 0; t < f.layout.controlCount; ++t) {
    if (f.layout.controls[t].kind != ControlKind::TabControl || !f.controls[t]) continue;
    const TabControl tab(f.kind, t);
    const int pages = static_cast<int>(SendMessageW(f.controls[t], TCM_GETITEMCOUNT, 0, 0));
    if (pages < 2) return;
    UiEventData turned;
    turned.row = (tab.CurrentPage() + (backwards ? pages - 1 : 1)) % pages;
    tab.SetCurrentPage(turned.row);
    f.Raise(t, UiEvent::PageChanged, turned);
    // The focus goes to the new page unless it rests on a control still shown.
    const int focused = f.ControlHolding(GetFocus());
    if (focused < 0 || !TakesFocus(f, focused)) MoveFocus(f, t, false);
    return;
  }
}

bool IsPushButton(ControlKind kind) { return kind == ControlKind::Button || kind == ControlKind::ImageButton; }


}  // namespace

bool TakeNavigationKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_RETURN)) return false;
  Form* f = FormOfWindow(msg.hwnd);
  if (!f || f->layout.popup) return false;
  const int focused = f->ControlHolding(msg.hwnd);
  // Enter is taken only where it presses something; elsewhere the control keeps it.
  const bool take = msg.wParam == VK_TAB ||
                    (focused >= 0 && (IsPushButton(f->layout.controls[focused].kind) ||
                                      FindHandler(f->kind, focused, UiEvent::EnterPressed)));
  if (!take) return false;
  const LPARAM modifiers = (GetKeyState(VK_SHIFT) < 0 ? kShiftDown : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlDown : 0);
  CompleteForm(*f);
  OnNavigationKey(*f, msg.wParam, modifiers);
  return true;
}

void OnNavigationKey(Form& f, WPARAM key, LPARAM modifiers) {
  const int focused = f.ControlHolding(GetFocus());
  if (key == VK_TAB) {
    if (modifiers & kCtrlDown) {
      TurnPage(f, modifiers & kShiftDown);
    } else {
      MoveFocus(f, focused, modifiers & kShiftDown);
    }
  } else if (key == VK_RETURN && focused >= 0) {
    if (IsPushButton(f.layout.controls[focused].kind)) {
      SendMessageW(f.controls[focused], BM_CLICK, 0, 0);  // as a click: the button's own event
    } else {
      f.Raise(focused, UiEvent::EnterPressed);
    }
  }
}

}  // namespace ui_internal
