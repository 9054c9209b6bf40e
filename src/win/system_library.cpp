#include "win/system_library.h"

#include "win/owners.h"

namespace system_library {

FARPROC Find(const wchar_t* dll, const char* name) {
  // A module loaded here is never freed: it stays for the whole process.
  HMODULE module = GetModuleHandleW(dll);
  if (!module) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace system_library

void owner_release::CoTaskMem(void* p) {
  static const auto free = system_library::Function<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
  if (free) free(p);
}
