// The visual-style functions the program calls, bound at their first use
// (win/system_library.h) instead of imported: an imported UxTheme would be looked for
// by name before WinMain can keep the program's own folder out of the search. Same names
// and arguments as UxTheme's own; a function that cannot be bound fails as on a system
// without visual styles (no theme, E_NOTIMPL).
#pragma once

#include <windows.h>
#include <uxtheme.h>

namespace visual_style {

HTHEME GetWindowTheme(HWND window);
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, LPCRECT rect, THEMESIZE size, SIZE* result);
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, LPCRECT rect, LPCRECT clip);

}  // namespace visual_style
