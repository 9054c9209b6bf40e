#include "delivery/classic_player_source.h"

#include <string>

#include "delivery/player_title.h"
#include "text/encoding.h"

namespace {

const wchar_t kPlayerClass[] = L"Winamp v1.x";
// The player's answers to WM_USER: its state (0 stopped, 1 playing, 3 paused) and, with
// wParam 0, the position in ms. The length (wParam 1) is not asked: following needs none,
// and each ask may cost the GUI thread kPlayerAskMs.
constexpr LPARAM kAskState = 104;
constexpr LPARAM kAskPosition = 105;

HWND FindPlayer() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, kPlayerClass, nullptr)) != nullptr)
    if (IsWindowVisible(window)) return window;
  return nullptr;
}

// One bounded ask; false when the player did not answer in time (or is gone).
bool Ask(HWND window, WPARAM wp, LPARAM lp, DWORD_PTR* answer) {
  return SendMessageTimeoutW(window, WM_USER, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kPlayerAskMs, answer) != 0;
}

// The title as the window holds it, read without a message to the player.
std::string TitleOf(HWND window) {
  wchar_t text[512] = {};
  const int length = InternalGetWindowText(window, text, static_cast<int>(std::size(text)));
  return enc::Narrow(std::wstring_view(text, length > 0 ? static_cast<size_t>(length) : 0));
}

}  // namespace

PlayerReading ClassicPlayerSource::Read(int64_t nowMs) {
  if (!window_ || !IsWindow(window_) || !IsWindowVisible(window_)) {
    window_ = FindPlayer();
    last_ = PlayerReading();
  }
  PlayerReading reading;
  reading.takenMs = nowMs;
  if (!window_) return reading;  // Absent
  reading.track = TrackOfPlayerTitle(TitleOf(window_));
  DWORD_PTR state = 0;
  if (!Ask(window_, 0, kAskState, &state)) {
    if (!IsWindow(window_)) {
      window_ = nullptr;
      return reading;
    }
    // Hung or busy: paused where it was, for this reading.
    reading.state = PlayerState::Paused;
    reading.positionMs = last_.positionMs;
    return reading;
  }
  reading.state = state == 1 ? PlayerState::Playing : state == 3 ? PlayerState::Paused : PlayerState::Stopped;
  if (reading.state != PlayerState::Stopped) {
    DWORD_PTR position = 0;
    if (Ask(window_, 0, kAskPosition, &position)) {
      reading.positionMs = static_cast<int64_t>(static_cast<LONG>(position));
    } else {
      reading.state = PlayerState::Paused;
      reading.positionMs = last_.positionMs;
    }
  }
  last_ = reading;
  return reading;
}
