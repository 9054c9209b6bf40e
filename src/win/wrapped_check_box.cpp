// Check boxes whose caption is too wide for one line of their rectangle: the caption
// wraps onto a second line, and the form draws such a check box itself.
#include <windows.h>
#include <vssym32.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "text/encoding.h"
#include "win/dpi.h"
#include "win/form.h"
#include "win/owners.h"
#include "win/theme_calls.h"

namespace ui_internal {
namespace {

// The width of a caption in a font, in pixels.
int TextWidth(HFONT font, const wchar_t* text) {
  ScopedWindowDC dc(nullptr, ScopedWindowDC::Client);
  ScopedSelectObject select(dc.Get(), font);
  SIZE size = {};
  GetTextExtentPoint32W(dc.Get(), text, static_cast<int>(wcslen(text)), &size);
  return size.cx;
}

// Where a check box's caption starts at a DPI: right of the box and a gap.
int CheckBoxTextIndent(int at) { return dpi::SystemMetric(SM_CXMENUCHECK, at) + dpi::Scale(6, at); }

int DpiOf(HWND control) {
  const Form* f = FormOfWindow(control);
  return f ? f->dpi : dpi::kLayout;
}

}  // namespace

// A check box's caption too wide for one line of its rectangle wraps onto a second line.
bool CaptionWraps(const LayoutRow& c, int at) {
  return TextWidth(ui_internal::UiFont(at), enc::Wide(c.text).c_str()) > dpi::Scale(c.w, at) - CheckBoxTextIndent(at);
}

// A visual style may draw a check box's caption in a font of its own, whose lines do not
// fit two into the row the layout gives; such a check box is drawn here instead: the
// style's box, and the caption in the control's own font, its lines balanced
// ("字幕完毕后" over "恢复马甲").
LRESULT DrawWrappedCheckBox(const NMCUSTOMDRAW& cd) {
  HWND h = cd.hdr.hwndFrom;
  HTHEME theme = visual_style::GetWindowTheme(h);
  if (cd.dwDrawStage != CDDS_PREPAINT || !theme) return CDRF_DODEFAULT;
  const bool checked = SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
  const int state = (checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL) +
                    (!IsWindowEnabled(h)                ? 3
                     : (cd.uItemState & CDIS_SELECTED) ? 2
                     : (cd.uItemState & CDIS_HOT)      ? 1
                                                       : 0);
  SIZE boxSize = {13, 13};
  visual_style::GetThemePartSize(theme, cd.hdc, BP_CHECKBOX, state, nullptr, TS_DRAW, &boxSize);
  RECT boxRect = {cd.rc.left, 0, cd.rc.left + boxSize.cx, boxSize.cy};
  OffsetRect(&boxRect, 0, cd.rc.top + (cd.rc.bottom - cd.rc.top - boxSize.cy) / 2);
  RECT whole = cd.rc;
  // Everything is drawn afresh on every paint: the caption's soft edges drawn over
  // themselves turn bold, and a focus rectangle (drawn by inverting) would stay when the
  // focus has gone. The window's colour first, for a parent that paints no background
  // of its own (a group box does not).
  FillRect(cd.hdc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  visual_style::DrawThemeParentBackground(h, cd.hdc, &whole);
  visual_style::DrawThemeBackground(theme, cd.hdc, BP_CHECKBOX, state, &boxRect, nullptr);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max(0, GetWindowTextW(h, text.data(), static_cast<int>(text.size())))));
  ScopedSelectObject font(cd.hdc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm = {};
  GetTextMetricsW(cd.hdc, &tm);
  RECT area = cd.rc;
  area.left += CheckBoxTextIndent(DpiOf(h));
  auto measure = [&](int width) {
    RECT r = {0, 0, width, 0};
    DrawTextW(cd.hdc, text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_CALCRECT);
    return r;
  };
  const int lines = std::max<int>(1, (measure(area.right - area.left).bottom + tm.tmHeight - 1) / tm.tmHeight);
  int width = (measure(0x7fff).right + lines - 1) / lines;
  while (width < area.right - area.left && measure(width).bottom > lines * tm.tmHeight) ++width;
  RECT box = measure(width);
  OffsetRect(&box, area.left, area.top + (area.bottom - area.top - box.bottom) / 2);
  SetBkMode(cd.hdc, TRANSPARENT);
  SetTextColor(cd.hdc, GetSysColor(IsWindowEnabled(h) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(cd.hdc, text.c_str(), static_cast<int>(text.size()), &box, DT_WORDBREAK);
  if (cd.uItemState & CDIS_FOCUS) DrawFocusRect(cd.hdc, &box);
  return CDRF_SKIPDEFAULT;
}

}  // namespace ui_internal
