#include "win/program.h"

#include <shellapi.h>

#include "text/utf8_text.h"
#include "text/encoding.h"
#include "win/file_bytes.h"
#include "win/form.h"
#include "win/process_paths.h"
#include "win/system_library.h"

namespace ui {

bool ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

int RunMessageLoop() {
  if (ui_internal::TopLevelWindowCount() == 0) return 0;
  MSG msg;
  BOOL r;
  while ((r = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (ui_internal::TakeNavigationKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return r == 0 ? static_cast<int>(msg.wParam) : 1;
}

namespace {
int g_boxesShown = 0;  // GUI thread only
}  // namespace

int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  ++g_boxesShown;
  const int answer = MessageBoxW(nullptr, enc::Wide(text).c_str(), enc::Wide(caption).c_str(), flags | MB_TASKMODAL);
  --g_boxesShown;
  return answer;
}

bool MessageBoxShown() { return g_boxesShown > 0; }

bool OpenWebAddress(std::string_view url) {
  static const auto shellExecute =
      system_library::Function<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  unsigned long error = ERROR_PROC_NOT_FOUND;
  if (shellExecute) {
    SetLastError(0);
    // A value above 32 is success; below it, an error of its own numbering, whose
    // first values are the system's (file not found, access denied, ...).
    const auto result = reinterpret_cast<INT_PTR>(
        shellExecute(nullptr, L"open", enc::Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    error = GetLastError();
    if (error == 0) error = result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : result == 0 ? ERROR_NOT_ENOUGH_MEMORY
                                                                                           : static_cast<unsigned long>(result);
  }
  ShowMessageBox("网页打不开：" + std::string(url) + "\r\n" + SystemErrorText(error), "打开失败", MB_ICONWARNING | MB_OK);
  return false;
}

std::string ProgramFolder() {
  const std::string path = ProgramFile();
  const int32_t slash = utf8::FindBackwards(path, "\\");
  return slash < 1 ? std::string() : utf8::Left(path, slash - 1);
}

}  // namespace ui
