// Tips on controls: one tooltip window per form, holding one tool per control that has a
// tip. The form destroys it as it goes; it is no owned window of the form's, since Wine
// never makes a window topmost that owns others, and the picker puts the main window on
// top.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "text/encoding.h"
#include "win/dpi.h"
#include "win/form.h"

namespace {

constexpr int kTipShownMs = 30000;  // long enough to read a list

TTTOOLINFOW ToolOf(HWND control, wchar_t* text) {
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  return tool;
}

}  // namespace

std::string Control::ToolTip() const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!f || !h || !f->toolTips) return {};
  std::wstring text(4096, L'\0');
  TTTOOLINFOW tool = ToolOf(h, text.data());
  SendMessageW(f->toolTips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
  text.resize(wcsnlen(text.c_str(), text.size()));
  return enc::Narrow(text);
}

void Control::SetToolTip(std::string_view text) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!f || !h) return;
  if (!f->toolTips) {
    f->toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  ui_internal::Instance(), nullptr);
    if (!f->toolTips) return;
    SendMessageW(f->toolTips, TTM_SETMAXTIPWIDTH, 0, dpi::Scale(ui_internal::kToolTipWidth, f->dpi));
    SendMessageW(f->toolTips, TTM_SETDELAYTIME, TTDT_AUTOPOP, kTipShownMs);
  }
  std::wstring wide = enc::Wide(text);
  TTTOOLINFOW tool = ToolOf(h, wide.data());
  SendMessageW(f->toolTips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!wide.empty()) SendMessageW(f->toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}
