#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Every DLL loaded by name comes from the system folder, never from the program's own
  // folder (a Downloads folder holds whatever was put there). Systems without the call
  // still get it for atl.dll, which is loaded with LOAD_LIBRARY_SEARCH_SYSTEM32.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (found) reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(found))(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return RunProgram();
}
