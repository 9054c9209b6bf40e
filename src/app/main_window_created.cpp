#include "app/main_window_created.h"

#include "delivery/playback_hot_keys.h"
#include "layout/program_windows.h"
#include "online/update_check.h"
#include "win/gui_courier.h"
#include "win/program.h"

void OnMainWindowCreated() {
  CheckForUpdate();
  // The list keeps showing the current folder until the user refreshes or chooses one.
  M<MainCtl::编辑框1>().SetText(ui::ProgramFolder());
  M<MainCtl::置顶选择1>().SetCurrentPage(4);
  // The window layer took the hot keys as it built the window; which it got shows in the
  // play button's tip. The button lies on a page not shown at first: its tip is made
  // once the window has been drawn.
  EnsureGuiCourier();
  if (!RunOnGuiThread(ShowPlaybackHotKeys)) ShowPlaybackHotKeys();
}
