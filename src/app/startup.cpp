#include "app/startup.h"

#include "app/event_table.h"
#include "build_settings.h"
#include "win/program.h"
#include "win/window_layer.h"

Program::Program()
    : features(FeatureSettings{RAVO_LYRICS_HOST, RAVO_MAKER_ADDRESS,
                               {RAVO_UPDATE_HOST, {RAVO_VERSION_MAJOR, RAVO_VERSION_MINOR, RAVO_BUILD_NUMBER}}}),
      layouts_(BuildTexts{RAVO_MAKER_ADDRESS, RAVO_MICROBLOG_URL, RAVO_MAKER_PAGE}),
      events_(BindEvents(features)) {}

void Program::Use() const {
  ui::UseProgram(ui::ProgramWindows{layouts_.All(), kWindowKinds, events_.data(), events_.size()});
}

int RunProgram() {
  Program program;
  program.Use();
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  // The update window may have closed the main window during its creation; then no
  // window is left and the loop is not entered.
  int exitCode = ui::RunMessageLoop();
  // A forced update closed by hand, on a page that also offers it: the offer comes now,
  // and a yes runs the loop again with the update window.
  while (program.features.selfUpdate.OfferAfterLastWindow()) exitCode = ui::RunMessageLoop();
  return exitCode;
}
