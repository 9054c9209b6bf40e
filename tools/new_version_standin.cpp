// The "new version" our self-update tests download and start: it writes a marker file
// beside itself and ends. See new_version_standin.md.
#include <windows.h>

#include <string>

#include "win/owners.h"

namespace {

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  const std::wstring path(self, n);
  const size_t slash = path.find_last_of(L'\\');
  const std::wstring marker =
      (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + L"new_version_started.txt";
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  // UTF-8, whatever the system's code page: the names may hold any character.
  const std::string text = "program=" + Utf8(path) + "\r\ncommand line=" + Utf8(GetCommandLineW()) +
                           "\r\ncurrent folder=" + Utf8(cwd) + "\r\n";
  const UniqueHandle f(
      CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return ok && written == text.size() ? 0 : 3;
}
