#include "win/process_paths.h"

#include <windows.h>

#include "text/encoding.h"

std::string ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return enc::Narrow(path.substr(0, n));
    path.resize(path.size() * 2);
  }
}

std::string CurrentFolder() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring cwd(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, cwd.data());
  cwd.resize(got < n ? got : 0);
  return enc::Narrow(cwd);
}
