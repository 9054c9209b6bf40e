#include "delivery/playback_hot_keys.h"

#include <string>
#include <utility>

#include "delivery/playback.h"
#include "delivery/text_delivery.h"
#include "layout/program_windows.h"
#include "win/program.h"

namespace {

constexpr int32_t kNudgeMs = 500;

const struct {
  MainCtl key;
  const char* does;
} kHotKeyHelp[] = {
    {MainCtl::热键_播放停止, "播放 / 停止"},
    {MainCtl::热键_提前, "歌词提前 0.5 秒"},
    {MainCtl::热键_推后, "歌词推后 0.5 秒"},
    {MainCtl::热键_下一句, "立即发送下一句，之后的间隔不变"},
};

auto KeyTimer() { return M<MainCtl::时钟_热键>(); }

}  // namespace

void PlaybackHotKeys::Press(Action action) {
  // The box's own loop dispatches the press: acting would start a run under the box, and
  // a refusal would stack a notice on it.
  if (ui::MessageBoxShown()) return;
  if (pending_.empty()) firstPressTick_ = GetTickCount();
  pending_.push_back(action);
  if (!Held()) {
    RunPending();
    return;
  }
  SetTimerRunning();
}

// A pick under way holds the actions for as long as it lasts: they would deliver into
// the window the pick is about to replace, and take its capture away.
bool PlaybackHotKeys::Held() const { return playback_.Target().PickUnderWay() || ModifiersDown(); }

bool PlaybackHotKeys::ModifiersDown() const {
  for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
    const bool down = keyDown_ ? keyDown_(key) : (GetAsyncKeyState(key) & 0x8000) != 0;
    if (down) return true;
  }
  return false;
}

void PlaybackHotKeys::OnTimer() {
  const DWORD now = GetTickCount();
  if (!pending_.empty() && !playback_.Target().PickUnderWay() &&
      (!ModifiersDown() || now - firstPressTick_ >= kModifierWaitMs))
    RunPending();
  if (noticeShown_ && now - noticeTick_ >= kHotKeyNoticeMs) {
    noticeShown_ = false;
    // The title playback calls for (its shift, what following waits for) comes back.
    playback_.ShowTitleAgain();
  }
  SetTimerRunning();
}

void PlaybackHotKeys::OnMainWindowCreated() {
  pending_.clear();
  noticeShown_ = false;
}

void PlaybackHotKeys::SetTimerRunning() {
  // A period it already has leaves the timer running undisturbed.
  KeyTimer().SetTimerPeriod(pending_.empty() && !noticeShown_ ? 0 : kModifierPollMs);
}

void PlaybackHotKeys::RunPending() {
  std::vector<Action> actions = std::exchange(pending_, {});
  for (Action action : actions) Act(action);
  SetTimerRunning();
}

void PlaybackHotKeys::Act(Action action) {
  switch (action) {
    case Action::Play: {
      const bool wasPlaying = playback_.Playing();
      // A stop of following, or of a last line standing, writes it back itself.
      const bool writesBack = playback_.Following() || playback_.HoldingLastLine();
      if (!wasPlaying) {
        if (const Playback::Refusal refusal = playback_.StartRefusal(); refusal.text) {
          Refuse(refusal.text);
          return;
        }
      }
      playback_.OnPlayButton();
      // The singer stops from the chat client, where the nickname is wanted back at once.
      if (wasPlaying && !writesBack && !playback_.Playing()) RestoreNickname(playback_.Target());
      return;
    }
    case Action::Earlier:
      playback_.ShiftPendingLines(kNudgeMs);
      return;
    case Action::Later:
      playback_.ShiftPendingLines(-kNudgeMs);
      return;
    case Action::NextLine:
      playback_.WritePendingLineNow();
      return;
  }
}

// The singer is in the chat client: a beep, and the reason where the taskbar shows it.
void PlaybackHotKeys::Refuse(const char* why) {
  MessageBeep(MB_ICONWARNING);
  ui::SetWindowTitle(WindowKind::Main, std::string("[") + why + "] " + std::string(ui::LayoutTitle(WindowKind::Main)));
  noticeShown_ = true;
  noticeTick_ = GetTickCount();
  SetTimerRunning();
}

void ShowPlaybackHotKeys() {
  std::string tip = "全局热键（在其他程序中也可使用）：";
  for (const auto& help : kHotKeyHelp) {
    const HotKey key(WindowKind::Main, static_cast<int>(help.key));
    tip += std::string("\r\n") + key.Row().text + "　" + help.does;
    if (!key.Held()) tip += "（不可用：已被其他程序占用）";
  }
  M<MainCtl::超级按钮4>().SetToolTip(tip);
}
