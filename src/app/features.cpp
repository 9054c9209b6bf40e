#include "app/features.h"

#include <memory>

#include "delivery/classic_player_source.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_loader_win.h"
#include "win/gui_courier.h"
#include "win/program.h"

Features::Features(const FeatureSettings& settings)
    : playback(CreditText(settings.makerAddress)), lyricSearch(settings.lyricsHost),
      selfUpdate(settings.update),
      about(settings.makerAddress) {
  // The music player a run follows when asked to: the one of the classic window messages.
  playback.UsePlayerSource(std::make_unique<ClassicPlayerSource>());
}

namespace {

// The grey hint in the empty nickname box: what to type there.
constexpr char kNicknameCue[] = "我的马甲";

}  // namespace

void Features::OnMainWindowCreated() {
  playback.OnMainWindowCreated();
  scroller.OnMainWindowCreated();
  billboard.OnMainWindowCreated();
  hotKeys.OnMainWindowCreated();
  selfUpdate.CheckForUpdate();
  // The list keeps showing the current folder until the user refreshes or chooses one.
  M<MainCtl::编辑框1>().SetText(ui::ProgramFolder());
  M<MainCtl::编辑框6>().SetCue(kNicknameCue);
  M<MainCtl::置顶选择1>().SetCurrentPage(4);
  // The play button's tip lies on a page not shown at first: made once the window has
  // been drawn. The window layer holds the hot keys; which it got shows in the tip.
  EnsureGuiCourier();
  if (!RunOnGuiThread(ShowPlaybackHotKeys)) ShowPlaybackHotKeys();
}
