#include "app/main_window_created.h"

#include "app/features.h"
#include "delivery/playback_hot_keys.h"
#include "layout/program_windows.h"
#include "win/gui_courier.h"
#include "win/program.h"

namespace {

void FillHiddenPages() {
  // The window layer holds the hot keys; which it got shows in the play button's tip.
  ShowPlaybackHotKeys();
}

}  // namespace

void OnMainWindowCreated() {
  TheFeatures().selfUpdate.CheckForUpdate();
  // The list keeps showing the current folder until the user refreshes or chooses one.
  M<MainCtl::编辑框1>().SetText(ui::ProgramFolder());
  M<MainCtl::置顶选择1>().SetCurrentPage(4);
  // The play button's tip lies on a page not shown at first: made once the window has
  // been drawn.
  EnsureGuiCourier();
  if (!RunOnGuiThread(FillHiddenPages)) FillHiddenPages();
}
