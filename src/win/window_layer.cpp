#include "win/window_layer.h"

#include <memory>

#include "text/encoding.h"
#include "win/dpi.h"
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
  // Made where the layout puts it, the window is scaled to the DPI of its monitor there
  // before it has a control or shows.
  f->dpi = dpi::OfWindow(hwnd);
  if (f->dpi != dpi::kLayout) {
    bool menu = false;
    for (int i = 0; i < layout.controlCount; ++i) menu = menu || layout.controls[i].kind == ControlKind::Menu;
    const SIZE size = dpi::OuterSize(layout.w, layout.h, style, exStyle, menu, f->dpi);
    SetWindowPos(hwnd, nullptr, dpi::Scale(layout.x, f->dpi), dpi::Scale(layout.y, f->dpi), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!layout.popup) SetFormIcons(*f);
  BuildShownRows(*f, false);
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::TabControl) TabControl(kind, i).SetCurrentPage(0);

  f->Raise(kWindowItself, UiEvent::Created);
  if (FormOf(kind) != f) return nullptr;  // the creation handler closed it
  // The pages' rows once the creation handler has chosen the page shown.
  BuildShownRows(*f, true);
  if (options.show) {
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  }
  // Posted after the first paint: made once the window has been drawn.
  PostMessageW(hwnd, WM_RAVO_BUILD, 0, 0);
  return hwnd;
}

HWND WindowHandle(WindowKind kind) {
  Form* f = FormOf(kind);
  return f ? f->hwnd : nullptr;
}

bool WindowExists(WindowKind kind) { return WindowHandle(kind) != nullptr; }

int ScaleFor(WindowKind kind, int value) {
  const Form* f = FormOf(kind);
  return dpi::Scale(value, f ? f->dpi : dpi::OfSystem());
}

int WindowDpi(WindowKind kind) {
  const Form* f = FormOf(kind);
  return f ? f->dpi : dpi::OfSystem();
}

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

std::string_view LayoutTitle(WindowKind kind) { return ui_internal::LayoutOf(kind).title; }

}  // namespace ui
