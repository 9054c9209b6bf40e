#include "delivery/playback_hot_keys.h"

#include <string>

#include "delivery/playback.h"
#include "delivery/text_delivery.h"
#include "layout/program_windows.h"

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

}  // namespace

void OnPlayHotKey(Playback& playback) {
  const bool wasPlaying = playback.Playing();
  playback.OnPlayButton();
  // The singer stops from the chat client, where the nickname is wanted back at once.
  if (wasPlaying && !playback.Playing()) RestoreNickname(playback.Target().Handle());
}

void OnEarlierHotKey(Playback& playback) { playback.ShiftPendingLines(kNudgeMs); }
void OnLaterHotKey(Playback& playback) { playback.ShiftPendingLines(-kNudgeMs); }
void OnNextLineHotKey(Playback& playback) { playback.WritePendingLineNow(); }

void ShowPlaybackHotKeys() {
  std::string tip = "全局热键（在其他程序中也可使用）：";
  for (const auto& help : kHotKeyHelp) {
    const HotKey key(WindowKind::Main, static_cast<int>(help.key));
    tip += std::string("\r\n") + key.Row().text + "　" + help.does;
    if (!key.Held()) tip += "（不可用：已被其他程序占用）";
  }
  M<MainCtl::超级按钮4>().SetToolTip(tip);
}
