#include "app/startup.h"

#include <ole2.h>

#include "app/event_table.h"
#include "layout/program_windows.h"
#include "win/program.h"

int RunProgram() {
  // The embedded browser needs OLE on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  UseProgramWindows();
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  // The update window may have closed the main window during its creation; then no
  // window is left and the loop is not entered.
  const int code = ui::RunMessageLoop();
  if (SUCCEEDED(ole)) OleUninitialize();
  return code;
}
