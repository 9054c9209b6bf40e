// Holds one key combination system-wide, as another program may, so that a test can see
// what the tool does when a hot key of its own is taken. See hotkey_holder.md.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "win/owners.h"

namespace {

// Appends one line to the log, opened and closed for each line so that a reader sees it
// at once.
void Log(const wchar_t* path, const std::string& line) {
  const UniqueHandle f(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3 || argc > 4) return 2;
  const wchar_t* log = argv[1];
  const UINT key = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10));
  const UINT seconds = argc == 4 ? static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)) : 60;
  if (key == 0 || seconds == 0) return 2;
  // No window: the thread's queue gets the presses.
  if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, key)) {
    Log(log, "refused " + std::to_string(GetLastError()));
    return 1;
  }
  Log(log, "held");
  SetTimer(nullptr, 0, seconds * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_HOTKEY) Log(log, "pressed");
    if (msg.message == WM_TIMER) break;
  }
  UnregisterHotKey(nullptr, 1);
  return 0;
}
