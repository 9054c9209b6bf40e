#include "win/theme_calls.h"

#include "win/system_library.h"

// Each function binds its UxTheme namesake on its first call.
#define RAVO_BIND(name) \
  static const auto real = system_library::Function<decltype(&::name)>(L"uxtheme.dll", #name)

namespace visual_style {

HTHEME GetWindowTheme(HWND window) {
  RAVO_BIND(GetWindowTheme);
  return real ? real(window) : nullptr;
}

HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, LPCRECT rect, THEMESIZE size, SIZE* result) {
  RAVO_BIND(GetThemePartSize);
  // The SDK's own declarations take the rectangle as const; MinGW's do not, and it is
  // never written.
  return real ? real(theme, dc, part, state, const_cast<RECT*>(rect), size, result) : E_NOTIMPL;
}

HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) {
  RAVO_BIND(DrawThemeParentBackground);
  return real ? real(window, dc, const_cast<RECT*>(rect)) : E_NOTIMPL;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, LPCRECT rect, LPCRECT clip) {
  RAVO_BIND(DrawThemeBackground);
  return real ? real(theme, dc, part, state, rect, clip) : E_NOTIMPL;
}

}  // namespace visual_style
