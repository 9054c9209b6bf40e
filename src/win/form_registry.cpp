// The program handed to the window layer, and the forms alive.
#include <array>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "win/dpi.h"
#include "win/failure_record.h"
#include "win/form.h"
#include "win/owners.h"
#include "win/window_layer.h"

namespace {

constexpr int kMaxWindows = 8;
ui::ProgramWindows g_program{};
std::array<Form*, kMaxWindows> g_forms{};
int g_topLevelWindows = 0;  // main and update windows alive; the loop ends at 0
const wchar_t kFormProp[] = L"RavoForm";

}  // namespace

void Form::Raise(int control, UiEvent event, UiEventData data) {
  const Handler h = ui_internal::FindHandler(kind, control, event);
  if (!h) return;
  data.control = control;
  // Recording may run out of memory too: then it is left out, never thrown on.
  const auto record = [&](const char* why, unsigned long code) noexcept {
    try {
      RecordFailure("handler of event " + std::to_string(static_cast<int>(event)) + " of control " +
                      std::to_string(control) + " of window " + std::to_string(static_cast<int>(kind)) + " (" +
                      why + ")",
                    Failure{"handler", FailureCause::System, code});
    } catch (...) {
    }
  };
  try {
    h(data);
  } catch (const std::bad_alloc& e) {
    record(e.what(), ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::exception& e) {
    record(e.what(), 0);
  } catch (...) {
    record("unknown exception", 0);
  }
}

namespace ui {

void UseProgram(const ProgramWindows& program) {
  if (program.windowCount > kMaxWindows) return;
  g_program = program;
}

}  // namespace ui

namespace ui_internal {

const WindowLayout& LayoutOf(WindowKind kind) { return *g_program.layouts[static_cast<int>(kind)]; }

Handler FindHandler(WindowKind window, int control, UiEvent event) {
  for (size_t i = 0; i < g_program.eventCount; ++i) {
    const EventBinding& b = g_program.events[i];
    if (b.window == window && b.control == control && b.event == event) return b.handler;
  }
  return {};
}

Form* FormOf(WindowKind kind) { return g_forms[static_cast<int>(kind)]; }

Form* FormOfWindow(HWND hwnd) {
  // Controls carry the form's pointer as a property of their top-level window.
  HWND top = hwnd;
  while (top && (GetWindowLongW(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
  return top ? static_cast<Form*>(GetPropW(top, kFormProp)) : nullptr;
}

void FormCreated(Form* f) {
  SetPropW(f->hwnd, kFormProp, f);
  g_forms[static_cast<int>(f->kind)] = f;
  if (!f->layout.popup) ++g_topLevelWindows;
}

void FormDestroyed(Form* f) {
  RemovePropW(f->hwnd, kFormProp);
  if (g_forms[static_cast<int>(f->kind)] == f) g_forms[static_cast<int>(f->kind)] = nullptr;
  f->hwnd = nullptr;
  if (!f->layout.popup && --g_topLevelWindows == 0) PostQuitMessage(0);
}

int TopLevelWindowCount() { return g_topLevelWindows; }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RaiseControlEvent(HWND control, UiEvent event, UiEventData data) {
  Form* f = FormOfWindow(control);
  if (!f) return;
  const int index = f->IndexOf(control);
  if (index >= 0) f->Raise(index, event, std::move(data));
}

namespace {

// A font with Chinese glyphs (the face where it is installed, else the system's GB2312
// font) of a cell height at 96 DPI, made once for each DPI asked for and kept for the
// rest of the program.
HFONT FaceAt(int height, int at) {
  struct Made {
    int height, dpi;
    ScopedGdiObj<HFONT> font;
  };
  static std::vector<Made> made;
  for (const Made& m : made)
    if (m.height == height && m.dpi == at) return m.font.Get();
  const int scaled = height < 0 ? -dpi::Scale(-height, at) : dpi::Scale(height, at);
  made.push_back({height, at,
                  ScopedGdiObj<HFONT>(CreateFontW(scaled, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                  DEFAULT_PITCH | FF_DONTCARE, L"WenQuanYi Micro Hei"))});
  return made.back().font.Get();
}

}  // namespace

HFONT UiFont(int at) { return FaceAt(-12, at); }

// The same face with a cell height of 12 pixels: the layout gives a two-line caption
// 24 pixels, which the UI font's taller lines overflow.
HFONT TwoLineFont(int at) { return FaceAt(12, at); }

}  // namespace ui_internal
