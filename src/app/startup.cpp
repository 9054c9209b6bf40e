#include "app/startup.h"

#include "app/event_table.h"
#include "app/features.h"
#include "layout/program_windows.h"
#include "win/program.h"

int RunProgram() {
  UseProgramWindows();
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  // The update window may have closed the main window during its creation; then no
  // window is left and the loop is not entered.
  int exitCode = ui::RunMessageLoop();
  // A forced update closed by hand, on a page that also offers it: the offer comes now,
  // and a yes runs the loop again with the update window.
  while (TheFeatures().selfUpdate.OfferAfterLastWindow()) exitCode = ui::RunMessageLoop();
  return exitCode;
}
