#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Every DLL loaded by name comes from the system folder, never from the program's own
  // folder (a Downloads folder holds whatever was put there). Systems without the call
  // still get it for every DLL the program loads itself (system_library::Load); the
  // ones it imports are Known DLLs and the side-by-side common controls, which the
  // loader never looks for beside the program.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (found) reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(found))(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return RunProgram();
}
