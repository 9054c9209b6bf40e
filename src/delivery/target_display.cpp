#include "delivery/target_display.h"

#include <string_view>

#include "layout/program_windows.h"
#include "text/encoding.h"

std::string TargetTitle(HWND window) {
  if (!window || !IsWindow(window)) return {};
  HWND top = GetAncestor(window, GA_ROOT);
  wchar_t title[512] = {};
  const int got = InternalGetWindowText(top ? top : window, title, static_cast<int>(std::size(title)));
  return enc::Narrow(std::wstring(title, got > 0 ? static_cast<size_t>(got) : 0));
}

void ShowChosenTarget(const TargetWindow& target) {
  const auto help = M<MainCtl::标签1>();
  const auto board = M<MainCtl::画板_捕获器>();
  const std::string_view layoutText = help.Row().text ? help.Row().text : "";
  if (!target.Present()) {
    help.SetText(layoutText);
    board.SetToolTip("");
    return;
  }
  const std::string named = kTargetPrefix + TargetTitle(target.Handle());
  const std::string_view firstLine = layoutText.substr(0, layoutText.find("\r\n"));
  help.SetText(std::string(firstLine) + "\r\n" + help.CutToWidth(named));
  board.SetToolTip(named);
}
