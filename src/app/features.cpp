#include "app/features.h"

#include <memory>

#include "delivery/classic_player_source.h"
#include "delivery/media_session_source_win.h"
#include "delivery/player_choice.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_loader_win.h"
#include "win/gui_courier.h"
#include "win/program.h"

Features::Features(const FeatureSettings& settings)
    : playback(CreditText(settings.makerAddress)), lyricSearch(settings.lyricsHost),
      selfUpdate(settings.update),
      about(settings.makerAddress) {
  // The music player a run follows when asked to: a classic player that plays, else the
  // system media session's current session when it plays, else the one that played last.
  playback.UsePlayerSource(
      std::make_unique<PlayerChoice>(std::make_unique<ClassicPlayerSource>(), std::make_unique<MediaSessionSource>()));
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
