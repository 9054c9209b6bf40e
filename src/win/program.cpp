#include "win/program.h"

#include <shellapi.h>

#include "text/gbk_text.h"
#include "win/form.h"
#include "win/process_paths.h"
#include "win/wait_with_messages.h"

namespace ui {

void ProcessPendingMessages() { DispatchPendingMessages(); }

int RunMessageLoop() {
  if (ui_internal::TopLevelWindowCount() == 0) return 0;
  MSG msg;
  BOOL r;
  while ((r = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return r == 0 ? static_cast<int>(msg.wParam) : 1;
}

int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), flags | MB_TASKMODAL);
}

void OpenWebAddress(std::string_view url) {
  ShellExecuteA(nullptr, "open", std::string(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string ProgramFolder() {
  const std::string path = ProgramFile();
  const int32_t slash = gbk::FindBackwards(path, "\\");
  return slash < 1 ? std::string() : gbk::Left(path, slash - 1);
}

}  // namespace ui
