// The single-line scroller and the custom billboard on the third page of the main window.
//
// Each is one object that owns its run state; the roof holds one of each and binds its
// button and its timer to it. A step runs on a tick of the feature's own window timer
// (时钟_单行滚动, 时钟_广告牌), like playback's lines: the tick stops the timer, delivers
// one text and sets the timer afresh to the period read from the period box just then
// (at least MIN_STEP_PERIOD_MS, billboard/scroll_text.h), so the time a delivery takes
// never shortens the wait after it and a changed period counts from the next wait. The
// start click runs the first step at once. Handlers never wait: every event, the other
// feature's and playback's ticks included, comes through the one message loop, so the
// scroller, the billboard and playback run side by side, and a delivery runs no other
// handler in its middle.
//
// The button captions show the run state and are only ever set from it.
//
// The billboard reads its rows from its list view: the row count once at the start of
// each pass (rows added during a pass wait for the next one), each row's text when its
// turn comes (a row deleted meanwhile reads as empty). A stop takes effect between
// passes: the pass under way shows its remaining rows, each with its wait, after the stop.
//
// A run whose target window has gone ends at its next tick, and the tool says so once
// (TargetVanished, delivery/text_delivery.h).
//
// A window timer lives and dies with the main window: closing it ends both runs with
// nothing more delivered, and a main window created anew finds both features idle.
#pragma once

#include <string>

#include "delivery/target_watch.h"
#include "delivery/target_window.h"

// A pass over an empty billboard list delivers nothing; it still waits one period, and at
// least this long, so that the run neither spins nor floods the message queue.
constexpr int EMPTY_PASS_MIN_WAIT_MS = 10;

class Scroller {
 public:
  // Delivers into target, the playback's target window, as it stands at each step.
  explicit Scroller(TargetWindow& target) : target_(target) {}
  // 按钮1: starts the scroller with its first step, or stops it, puts the text the user
  // had typed back into 编辑框2 and writes the nickname back (RestoreNickname). Without a
  // target window it says so and does not start.
  void OnButton();
  // 时钟_单行滚动: one step (the text of 编辑框2 turned by one unit, written back and
  // delivered), then the wait from 编辑框3.
  void OnTimer();
  // A main window created anew shows the scroller idle.
  void OnMainWindowCreated();

 private:
  void Step();
  bool EndIfTargetGone();
  // The run's end: the timer stopped, the caption idle and the typed text back.
  void End();
  TargetWindow& target_;
  TargetWatch watch_;
  bool running_ = false;
  std::string typed_;  // 编辑框2 as the user left it at the start
};

class Billboard {
 public:
  explicit Billboard(TargetWindow& target) : target_(target) {}
  // 按钮5: starts the billboard with a fresh pass, or asks it to stop after the pass
  // under way and writes the nickname back (RestoreNickname). Without a target window it
  // says so and does not start.
  void OnButton();
  // 时钟_广告牌: the next row of the pass (a new pass when one is over), then the wait
  // from 编辑框5.
  void OnTimer();
  // 按钮3 and 按钮4: append the text of 编辑框4 as a row; delete the selected row.
  void OnAddLine();
  void OnDeleteLine();
  void OnMainWindowCreated();

 private:
  enum class Run { Idle, Running, FinishingPass };
  void Step();
  void StartPass();
  bool EndIfTargetGone();
  TargetWindow& target_;
  TargetWatch watch_;
  Run run_ = Run::Idle;
  int passRows_ = 0;  // the row count at the start of the pass under way
  int nextRow_ = 0;   // the pass is over when this reaches passRows_
};
