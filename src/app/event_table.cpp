#include "app/event_table.h"

#include "app/features.h"
#include "layout/program_windows.h"

namespace {

constexpr int C(MainCtl c) { return static_cast<int>(c); }
constexpr int C(UpdateCtl c) { return static_cast<int>(c); }
constexpr int C(PickerCtl c) { return static_cast<int>(c); }

constexpr WindowKind Main = WindowKind::Main;
constexpr WindowKind Update = WindowKind::Update;
constexpr WindowKind Picker = WindowKind::Picker;

}  // namespace

std::vector<EventBinding> BindEvents(Features& f) {
  return {
      {Main, kWindowItself, UiEvent::Created, Bind<&Features::OnMainWindowCreated>(f)},
      {Main, kWindowItself, UiEvent::Activated, Bind<&TargetPicker::OnMainWindowActivated>(f.picker)},
      {Main, C(MainCtl::画板_捕获器), UiEvent::LeftButtonDown, Bind<&TargetPicker::OnCaptureBoardMouseDown>(f.picker)},
      {Main, C(MainCtl::画板_捕获器), UiEvent::MouseMoved, Bind<&TargetPicker::OnCaptureBoardMouseMove>(f.picker)},
      {Main, C(MainCtl::画板_捕获器), UiEvent::LeftButtonUp, Bind<&TargetPicker::OnCaptureBoardButtonUp>(f.picker)},
      {Main, C(MainCtl::画板_捕获器), UiEvent::EscapePressed, Bind<&TargetPicker::OnCaptureBoardEscape>(f.picker)},
      {Main, C(MainCtl::画板_捕获器), UiEvent::CaptureLost, Bind<&TargetPicker::OnCaptureBoardCaptureLost>(f.picker)},
      {Main, C(MainCtl::文件框1), UiEvent::SelectionChanged, Bind<&Playback::OnLyricFileChosen>(f.playback)},
      {Main, C(MainCtl::文件框1), UiEvent::DoubleClicked, Bind<&Playback::OnLyricFileChosen>(f.playback)},
      {Main, C(MainCtl::超级按钮4), UiEvent::Clicked, Bind<&Playback::OnPlayButton>(f.playback)},
      {Main, C(MainCtl::超级列表框_歌词), UiEvent::DoubleClicked, Bind<&Playback::OnLyricRowDoubleClick>(f.playback)},
      {Main, C(MainCtl::时钟_歌词播放), UiEvent::TimerTick, Bind<&Playback::OnTimer>(f.playback)},
      {Main, C(MainCtl::按钮2), UiEvent::Clicked, Bind<&LyricsFolder::OnChooseFolder>(f.lyricsFolder)},
      {Main, C(MainCtl::添加指定目录), UiEvent::Chosen, Bind<&LyricsFolder::OnChooseFolder>(f.lyricsFolder)},
      {Main, C(MainCtl::更新本地歌词), UiEvent::Chosen, Bind<&LyricsFolder::OnRefreshList>(f.lyricsFolder)},
      {Main, C(MainCtl::编辑框1), UiEvent::EnterPressed, Bind<&LyricsFolder::OnRefreshList>(f.lyricsFolder)},
      {Main, C(MainCtl::搜索歌词), UiEvent::Clicked, Bind<&LyricSearch::OnSearchButton>(f.lyricSearch)},
      {Main, C(MainCtl::欲搜索内容), UiEvent::EnterPressed, Bind<&LyricSearch::OnSearchButton>(f.lyricSearch)},
      {Main, C(MainCtl::欲下载列表), UiEvent::FocusedRowChanged, Bind<&LyricSearch::PreviewSelectedLyric>(f.lyricSearch)},
      {Main, C(MainCtl::欲下载列表), UiEvent::DoubleClicked, Bind<&LyricSearch::DownloadSelectedLyric>(f.lyricSearch)},
      {Main, C(MainCtl::按钮1), UiEvent::Clicked, Bind<&Scroller::OnButton>(f.scroller)},
      {Main, C(MainCtl::时钟_单行滚动), UiEvent::TimerTick, Bind<&Scroller::OnTimer>(f.scroller)},
      {Main, C(MainCtl::按钮3), UiEvent::Clicked, Bind<&Billboard::OnAddLine>(f.billboard)},
      {Main, C(MainCtl::按钮4), UiEvent::Clicked, Bind<&Billboard::OnDeleteLine>(f.billboard)},
      {Main, C(MainCtl::按钮5), UiEvent::Clicked, Bind<&Billboard::OnButton>(f.billboard)},
      {Main, C(MainCtl::时钟_广告牌), UiEvent::TimerTick, Bind<&Billboard::OnTimer>(f.billboard)},
      {Main, C(MainCtl::按钮15), UiEvent::Clicked, Bind<&AboutPage::OnHomePageButton>(f.about)},
      {Main, C(MainCtl::热键_播放停止), UiEvent::Pressed, Bind<&PlaybackHotKeys::OnPlayKey>(f.hotKeys)},
      {Main, C(MainCtl::热键_提前), UiEvent::Pressed, Bind<&PlaybackHotKeys::OnEarlierKey>(f.hotKeys)},
      {Main, C(MainCtl::热键_推后), UiEvent::Pressed, Bind<&PlaybackHotKeys::OnLaterKey>(f.hotKeys)},
      {Main, C(MainCtl::热键_下一句), UiEvent::Pressed, Bind<&PlaybackHotKeys::OnNextLineKey>(f.hotKeys)},
      {Main, C(MainCtl::时钟_热键), UiEvent::TimerTick, Bind<&PlaybackHotKeys::OnTimer>(f.hotKeys)},

      {Update, kWindowItself, UiEvent::Created, Bind<&SelfUpdate::OnWindowCreated>(f.selfUpdate)},
      {Update, kWindowItself, UiEvent::Destroyed, Bind<&SelfUpdate::OnWindowDestroyed>(f.selfUpdate)},
      {Update, C(UpdateCtl::时钟), UiEvent::TimerTick, Bind<&SelfUpdate::OnProgressTick>(f.selfUpdate)},
      {Update, C(UpdateCtl::按钮1), UiEvent::Clicked, Bind<&SelfUpdate::StartDownload>(f.selfUpdate)},

      {Picker, kWindowItself, UiEvent::Created, Bind<&TargetPicker::OnPickerWindowCreated>(f.picker)},
      {Picker, kWindowItself, UiEvent::Destroyed, Bind<&TargetPicker::OnPickerWindowDestroyed>(f.picker)},
  };
}
