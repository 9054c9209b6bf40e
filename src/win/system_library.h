// Functions of system DLLs that the program needs only now and then (the shell's folder
// dialog and web addresses, OLE for the embedded browser, WinInet, the visual styles):
// bound at their first use, so that their DLLs are not loaded before the main window
// shows. Loaded from the system folder only, and kept for the rest of the process.
#pragma once

#include <windows.h>

namespace system_library {

// dll from the system folder (a name such as L"shell32.dll"); null when it cannot be
// loaded. Systems that know LOAD_LIBRARY_SEARCH_SYSTEM32 search only that folder; the
// others (Vista, and 7 without the update that brought the flag) load the file by its
// full path in the system folder.
HMODULE Load(const wchar_t* dll);
// The same, with the choice made by the caller: searchFlagsKnown false takes the way of
// the systems without the flag.
HMODULE Load(const wchar_t* dll, bool searchFlagsKnown);

// The function name of dll; null when either cannot be found.
FARPROC Find(const wchar_t* dll, const char* name);

// The same, typed: Function<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW").
template <typename Fn>
Fn Function(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Find(dll, name)));
}

}  // namespace system_library
