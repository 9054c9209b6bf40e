// The hot keys of playback, held system-wide so that the singer starts, stops and nudges
// the lyrics while the chat client keeps the focus; the play button's tip lists them.
//
// A hot key arrives while its Ctrl and Alt are still down. The chat client, which has
// the focus, reads the tool's posted messages before its own key-ups, so a field that
// looks at the modifiers (Ctrl+Backspace deletes a word, Alt+Backspace undoes) would
// take a different key than a timed line sends. So a press only queues its action; the
// actions run, in the order pressed, once Ctrl, Alt, Shift and Win are all up, as a short
// timer (时钟_热键) finds, or after kModifierWaitMs whatever the keys do.
//
// While a pick is under way the actions wait for its end, whatever the keys do.
//
// A hot key never opens a box: one that cannot act beeps and says why in the title bar
// for a moment. While a message box of the tool is up, hot keys are ignored.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

class Playback;

// How long a hot key's action waits at most for the modifiers to be let go.
constexpr DWORD kModifierWaitMs = 1000;
// How often the modifiers are looked at meanwhile.
constexpr int kModifierPollMs = 15;
// How long the title bar says why a hot key could not act.
constexpr DWORD kHotKeyNoticeMs = 3000;

class PlaybackHotKeys {
 public:
  explicit PlaybackHotKeys(Playback& playback) : playback_(playback) {}

  // The handlers bound in the event table.
  // Ctrl+Alt+P: as the play/stop button; a stop also writes the nickname back.
  void OnPlayKey() { Press(Action::Play); }
  // Ctrl+Alt+Right and Ctrl+Alt+Left: the lines not yet written 0.5 s earlier or later.
  void OnEarlierKey() { Press(Action::Earlier); }
  void OnLaterKey() { Press(Action::Later); }
  // Ctrl+Alt+Down: the next line now, the following ones keeping their spacing.
  void OnNextLineKey() { Press(Action::NextLine); }
  // 时钟_热键: runs the queued actions once the modifiers are up; ends the title's notice.
  void OnTimer();
  // A main window created anew: its timer is new and stopped.
  void OnMainWindowCreated();

  // Whether a key is down (GetAsyncKeyState by default); a test hands in its own.
  using KeyDown = std::function<bool(int virtualKey)>;
  void ReadKeysWith(KeyDown keyDown) { keyDown_ = std::move(keyDown); }

 private:
  enum class Action { Play, Earlier, Later, NextLine };
  void Press(Action action);
  bool ModifiersDown() const;
  bool Held() const;
  void RunPending();
  void Act(Action action);
  void Refuse(const char* why);
  void SetTimerRunning();

  Playback& playback_;
  KeyDown keyDown_;
  std::vector<Action> pending_;
  DWORD firstPressTick_ = 0;
  bool noticeShown_ = false;
  DWORD noticeTick_ = 0;
};

// Puts the list of hot keys on the play button's tip, naming those another program
// holds as unavailable.
void ShowPlaybackHotKeys();
