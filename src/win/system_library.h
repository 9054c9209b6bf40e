// Functions of system DLLs that the program needs only now and then (the shell's folder
// dialog and web addresses, OLE for the embedded browser): bound at their first use, so
// that their DLLs are not loaded before the main window shows. Loaded from the system
// folder only, and kept for the rest of the process.
#pragma once

#include <windows.h>

namespace system_library {

// The function name of dll; null when either cannot be found.
FARPROC Find(const wchar_t* dll, const char* name);

// The same, typed: Function<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW").
template <typename Fn>
Fn Function(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Find(dll, name)));
}

}  // namespace system_library
