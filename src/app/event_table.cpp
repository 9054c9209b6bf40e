#include "app/event_table.h"

#include "app/features.h"

#include <iterator>

#include "app/main_window_created.h"
#include "billboard/billboard.h"
#include "delivery/playback.h"
#include "delivery/playback_hot_keys.h"
#include "delivery/target_picker.h"
#include "lyrics/lyrics_folder_win.h"
#include "update/self_update_win.h"
#include "layout/program_windows.h"

namespace {

constexpr int C(MainCtl c) { return static_cast<int>(c); }
constexpr int C(UpdateCtl c) { return static_cast<int>(c); }
constexpr int C(PickerCtl c) { return static_cast<int>(c); }

constexpr WindowKind Main = WindowKind::Main;
constexpr WindowKind Update = WindowKind::Update;
constexpr WindowKind Picker = WindowKind::Picker;

void DoNothing() {}

// A handler of one of the roof's feature objects.
template <auto member, auto handler>
void On() {
  ((TheFeatures().*member).*handler)();
}

template <void (Playback::*handler)()>
constexpr auto Play = On<&Features::playback, handler>;
template <void (TargetPicker::*handler)()>
constexpr auto Pick = On<&Features::picker, handler>;
template <void (LyricSearch::*handler)()>
constexpr auto Search = On<&Features::lyricSearch, handler>;

template <void (PlaybackHotKeys::*handler)()>
constexpr auto Key = On<&Features::hotKeys, handler>;

// A newly made main window finds playback, the ticker and the billboard idle.
void OnMainWindowCreatedAnew() {
  TheFeatures().playback.OnMainWindowCreated();
  TheFeatures().scroller.OnMainWindowCreated();
  TheFeatures().billboard.OnMainWindowCreated();
  TheFeatures().hotKeys.OnMainWindowCreated();
  OnMainWindowCreated();
}

}  // namespace

const EventBinding kEventTable[] = {
    {Main, kWindowItself, UiEvent::Created, OnMainWindowCreatedAnew},
    {Main, kWindowItself, UiEvent::Activated, Pick<&TargetPicker::OnMainWindowActivated>},
    {Main, C(MainCtl::画板_捕获器), UiEvent::LeftButtonDown, Pick<&TargetPicker::OnCaptureBoardMouseDown>},
    {Main, C(MainCtl::画板_捕获器), UiEvent::MouseMoved, Pick<&TargetPicker::OnCaptureBoardMouseMove>},
    {Main, C(MainCtl::画板_捕获器), UiEvent::LeftButtonUp, Pick<&TargetPicker::OnCaptureBoardButtonUp>},
    {Main, C(MainCtl::画板_捕获器), UiEvent::EscapePressed, Pick<&TargetPicker::OnCaptureBoardEscape>},
    {Main, C(MainCtl::画板_捕获器), UiEvent::CaptureLost, Pick<&TargetPicker::OnCaptureBoardCaptureLost>},
    {Main, C(MainCtl::文件框1), UiEvent::SelectionChanged, Play<&Playback::OnLyricFileChosen>},
    {Main, C(MainCtl::文件框1), UiEvent::DoubleClicked, Play<&Playback::OnLyricFileChosen>},
    {Main, C(MainCtl::超级按钮4), UiEvent::Clicked, Play<&Playback::OnPlayButton>},
    {Main, C(MainCtl::超级列表框_歌词), UiEvent::DoubleClicked, Play<&Playback::OnLyricRowDoubleClick>},
    {Main, C(MainCtl::时钟_歌词播放), UiEvent::TimerTick, Play<&Playback::OnTimer>},
    {Main, C(MainCtl::按钮2), UiEvent::Clicked, ChooseLyricsFolder},
    {Main, C(MainCtl::添加指定目录), UiEvent::Chosen, ChooseLyricsFolder},
    {Main, C(MainCtl::更新本地歌词), UiEvent::Chosen, RefreshLyricFileList},
    {Main, C(MainCtl::搜索歌词), UiEvent::Clicked, Search<&LyricSearch::OnSearchButton>},
    {Main, C(MainCtl::欲搜索内容), UiEvent::EnterPressed, Search<&LyricSearch::OnSearchButton>},
    {Main, C(MainCtl::欲下载列表), UiEvent::FocusedRowChanged, Search<&LyricSearch::PreviewSelectedLyric>},
    {Main, C(MainCtl::欲下载列表), UiEvent::DoubleClicked, Search<&LyricSearch::DownloadSelectedLyric>},
    {Main, C(MainCtl::按钮1), UiEvent::Clicked, [] { TheFeatures().scroller.OnButton(); }},
    {Main, C(MainCtl::时钟_单行滚动), UiEvent::TimerTick, [] { TheFeatures().scroller.OnTimer(); }},
    {Main, C(MainCtl::按钮3), UiEvent::Clicked, [] { TheFeatures().billboard.OnAddLine(); }},
    {Main, C(MainCtl::按钮4), UiEvent::Clicked, [] { TheFeatures().billboard.OnDeleteLine(); }},
    {Main, C(MainCtl::按钮5), UiEvent::Clicked, [] { TheFeatures().billboard.OnButton(); }},
    {Main, C(MainCtl::时钟_广告牌), UiEvent::TimerTick, [] { TheFeatures().billboard.OnTimer(); }},
    {Main, C(MainCtl::按钮15), UiEvent::Clicked, OpenHomePage},
    {Main, C(MainCtl::置顶选择1), UiEvent::PageChanged, DoNothing},
    {Main, C(MainCtl::分组框2), UiEvent::LeftButtonDown, DoNothing},
    {Main, C(MainCtl::欲下载列表), UiEvent::OtherListEvent, DoNothing},
    {Main, C(MainCtl::热键_播放停止), UiEvent::Pressed, Key<&PlaybackHotKeys::OnPlayKey>},
    {Main, C(MainCtl::热键_提前), UiEvent::Pressed, Key<&PlaybackHotKeys::OnEarlierKey>},
    {Main, C(MainCtl::热键_推后), UiEvent::Pressed, Key<&PlaybackHotKeys::OnLaterKey>},
    {Main, C(MainCtl::热键_下一句), UiEvent::Pressed, Key<&PlaybackHotKeys::OnNextLineKey>},
    {Main, C(MainCtl::时钟_热键), UiEvent::TimerTick, Key<&PlaybackHotKeys::OnTimer>},

    {Update, kWindowItself, UiEvent::Created, [] { TheFeatures().selfUpdate.OnWindowCreated(); }},
    {Update, kWindowItself, UiEvent::Destroyed, [] { TheFeatures().selfUpdate.OnWindowDestroyed(); }},
    {Update, C(UpdateCtl::时钟), UiEvent::TimerTick, [] { TheFeatures().selfUpdate.OnProgressTick(); }},
    {Update, C(UpdateCtl::按钮1), UiEvent::Clicked, [] { TheFeatures().selfUpdate.StartDownload(); }},

    {Picker, kWindowItself, UiEvent::Created, Pick<&TargetPicker::OnPickerWindowCreated>},
    {Picker, kWindowItself, UiEvent::Destroyed, Pick<&TargetPicker::OnPickerWindowDestroyed>},
};

const size_t kEventTableSize = std::size(kEventTable);

void UseProgramWindows() {
  ui::UseProgram(ui::ProgramWindows{kWindowLayouts, kWindowKinds, kEventTable, kEventTableSize});
}
