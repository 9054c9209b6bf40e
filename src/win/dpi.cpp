#include "win/dpi.h"

#include "win/owners.h"
#include "win/system_library.h"

namespace dpi {
namespace {

// The Windows 10 calls, or null where user32 has none.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32(const char* name) {
  return system_library::Function<Fn>(L"user32.dll", name);
}

// The frame's share of an outer size: outer minus client, at dpi.
SIZE FrameAt(DWORD style, DWORD exStyle, bool menu, int at) {
  static const auto adjust = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT rc = {0, 0, 0, 0};
  if (adjust) {
    adjust(&rc, style, menu, exStyle, static_cast<UINT>(at));
  } else {
    // The system's own frame, the only one before Windows 10, taken back to 96 DPI if
    // asked for there.
    AdjustWindowRectEx(&rc, style, menu, exStyle);
    const int system = OfSystem();
    if (at != system) return {MulDiv(rc.right - rc.left, at, system), MulDiv(rc.bottom - rc.top, at, system)};
  }
  return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

int Scale(int value, int dpi) { return dpi == kLayout ? value : MulDiv(value, dpi, kLayout); }

RECT ScaleRect(int x, int y, int w, int h, int dpi) {
  return {Scale(x, dpi), Scale(y, dpi), Scale(x + w, dpi), Scale(y + h, dpi)};
}

int OfSystem() {
  static const auto forSystem = User32<GetDpiForSystemFn>("GetDpiForSystem");
  if (forSystem) return static_cast<int>(forSystem());
  ScopedWindowDC screen(nullptr, ScopedWindowDC::Client);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : kLayout;
  return dpi > 0 ? dpi : kLayout;
}

int OfWindow(HWND window) {
  static const auto forWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (!forWindow) return OfSystem();
  const UINT dpi = forWindow(window);
  return dpi > 0 ? static_cast<int>(dpi) : OfSystem();
}

int SystemMetric(int index, int dpi) {
  static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, OfSystem());
}

SIZE OuterSize(int w, int h, DWORD style, DWORD exStyle, bool menu, int dpi) {
  if (dpi == kLayout) return {w, h};
  const SIZE frame96 = FrameAt(style, exStyle, menu, kLayout);
  const SIZE frame = FrameAt(style, exStyle, menu, dpi);
  return {Scale(w - frame96.cx, dpi) + frame.cx, Scale(h - frame96.cy, dpi) + frame.cy};
}

}  // namespace dpi
