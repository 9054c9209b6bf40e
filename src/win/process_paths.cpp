#include "win/process_paths.h"

#include <windows.h>

std::string ProgramFile() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

std::string CurrentFolder() {
  const DWORD n = GetCurrentDirectoryA(0, nullptr);
  std::string cwd(n, '\0');
  const DWORD got = GetCurrentDirectoryA(n, cwd.data());
  cwd.resize(got < n ? got : 0);
  return cwd;
}
