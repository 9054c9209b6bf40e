// The "new version" our self-update tests download and start: it writes a marker file
// beside itself and ends. See new_version_standin.md.
#include <windows.h>

#include <string>

#include "win/owners.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  std::string path(self, n);
  const size_t slash = path.find_last_of('\\');
  const std::string marker = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                             "new_version_started.txt";
  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string text = std::string("program=") + path + "\r\ncommand line=" + GetCommandLineA() +
                           "\r\ncurrent folder=" + cwd + "\r\n";
  const UniqueHandle f(
      CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return ok && written == text.size() ? 0 : 3;
}
