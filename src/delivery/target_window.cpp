#include "delivery/target_window.h"

#include <cstdint>

#include "layout/program_windows.h"
#include "delivery/target_handle.h"

namespace {

auto HandleBox() { return M<MainCtl::编辑框_窗口句柄>(); }

}  // namespace

HWND TargetWindow() {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseTargetHandle(HandleBox().Text())));
}

void SetTargetWindow(HWND window) {
  HandleBox().SetText(TargetHandleText(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window))));
}

void ClearTargetWindow() { HandleBox().SetText(""); }

bool TargetWindowChosen() { return !HandleBox().Text().empty(); }
