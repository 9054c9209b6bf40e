#include "win/window_layer.h"

#include <memory>

#include "text/encoding.h"
#include "win/form.h"

using namespace ui_internal;

namespace ui {

HWND LoadWindow(WindowKind kind, const LoadOptions& options) {
  if (FormOf(kind)) return FormOf(kind)->hwnd;
  EnsureFormClass();
  const WindowLayout& layout = LayoutOf(kind);
  HWND owner = options.owner ? WindowHandle(*options.owner) : nullptr;
  DWORD style, exStyle = 0;
  if (layout.popup) {
    style = WS_POPUP;
    exStyle = WS_EX_TOOLWINDOW;
  } else {
    style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  }
  // The window takes the form over as it is created (FormProc, WM_NCCREATE).
  auto holder = std::make_unique<Form>(kind);
  Form* f = holder.get();
  HWND hwnd = CreateWindowExW(exStyle, FormClass(), enc::Wide(layout.title).c_str(), style, layout.x, layout.y, layout.w, layout.h,
                              owner, nullptr, Instance(), &holder);
  if (!hwnd || holder) return nullptr;
  for (int i = 0; i < layout.controlCount; ++i) CreateControl(*f, i);
  // Group boxes go under their siblings, so that a control lying inside a group box's
  // rectangle without being its child is not hidden by it.
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::GroupBox && f->controls[i])
      SetWindowPos(f->controls[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // A label whose rectangle overlaps an earlier label's goes above it: its caption starts
  // in the overlap, where the earlier caption has already ended.
  for (int i = 0; i < layout.controlCount; ++i) {
    if (layout.controls[i].kind != ControlKind::Label || !f->controls[i]) continue;
    for (int j = 0; j < i; ++j) {
      const LayoutRow &a = layout.controls[j], &b = layout.controls[i];
      const bool overlap = a.kind == ControlKind::Label && a.parent == b.parent && a.page == b.page &&
                           a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
      if (overlap) SetWindowPos(f->controls[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::TabControl) TabControl(kind, i).SetCurrentPage(0);

  f->Raise(kWindowItself, UiEvent::Created);
  if (FormOf(kind) != f) return nullptr;  // the creation handler closed it
  if (options.show) ShowWindow(hwnd, SW_SHOW);
  if (options.modal) {
    if (owner) EnableWindow(owner, FALSE);
    MSG msg;
    while (FormOf(kind) == f) {
      const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
      if (r <= 0) {
        if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
    return nullptr;
  }
  return hwnd;
}

HWND WindowHandle(WindowKind kind) {
  Form* f = FormOf(kind);
  return f ? f->hwnd : nullptr;
}

bool WindowExists(WindowKind kind) { return WindowHandle(kind) != nullptr; }

void DestroyWindowNow(WindowKind kind) {
  if (HWND h = WindowHandle(kind)) DestroyWindow(h);
}

void DestroyWindowDeferred(WindowKind kind) {
  if (HWND h = WindowHandle(kind)) PostMessageW(h, WM_RAVO_DESTROY, 0, 0);
}

void SetAlwaysOnTop(WindowKind kind, bool onTop) {
  if (HWND h = WindowHandle(kind))
    SetWindowPos(h, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetWindowVisible(WindowKind kind, bool visible) {
  if (HWND h = WindowHandle(kind)) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

void SetWindowTitle(WindowKind kind, std::string_view title) {
  if (HWND h = WindowHandle(kind)) SetWindowTextW(h, enc::Wide(title).c_str());
}

}  // namespace ui
