#include "app/startup.h"

#include "app/event_table.h"
#include "layout/program_windows.h"
#include "win/program.h"

int RunProgram() {
  UseProgramWindows();
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  // The update window may have closed the main window during its creation; then no
  // window is left and the loop is not entered.
  return ui::RunMessageLoop();
}
