#include "win/system_library.h"

#include <string>

#include "win/owners.h"

namespace system_library {

HMODULE Load(const wchar_t* dll, bool searchFlagsKnown) {
  // A module loaded here is never freed: it stays for the whole process.
  if (HMODULE loaded = GetModuleHandleW(dll)) return loaded;
  if (searchFlagsKnown) return LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Refused as an unknown flag there, LOAD_LIBRARY_SEARCH_SYSTEM32 would leave the
  // function unbound for good. A full path is never searched for; the altered search
  // path looks for the DLL's own dependencies in the system folder first, too.
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE Load(const wchar_t* dll) {
  // The update that brought the search flags brought AddDllDirectory with them.
  static const bool searchFlagsKnown =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
  return Load(dll, searchFlagsKnown);
}

FARPROC Find(const wchar_t* dll, const char* name) {
  HMODULE module = Load(dll);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace system_library

void owner_release::CoTaskMem(void* p) {
  static const auto free = system_library::Function<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
  if (free) free(p);
}
