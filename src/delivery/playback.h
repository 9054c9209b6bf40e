// Timed lyric playback into the target window.
//
// One Playback object, held by the roof, owns everything a run needs: the target window
// (which the window picker names), the loaded lyric's timeline, the run state, the
// position in the lyric and the schedule. The play button's caption ("播 放" idle,
// "停 止" playing) is set from the run state and never read back.
//
// The timer 时钟_歌词播放 is set, line after line, to the wait before the next line.
// Each wait is measured from the moment the run started, resumed or jumped
// (AnchoredWaitMs, playback_wait.h), so the time spent writing a line never pushes the
// following lines later. A line's text comes from the timeline; the lyric table only
// shows the timeline and which line was written last.
// A line that the target does not take because it does not answer (a hung chat client)
// is tried again every 250 ms, each time as the line that is current by then, so that
// a target that wakes gets the line of the moment and then the following ones on time.
// While lyrics play the singer can nudge the lines not yet written earlier or later, or
// have the next one written at once (playback_hot_keys.h): a nudge moves the anchor, so
// every later line is on time to the moved schedule, and the title bar shows the shift.
//
// With 选择框2 ticked, a run follows the music player instead (playback_follow.cpp): the
// player source the roof hands in is read at least every kPlayerReadMs, and between
// readings the next line is timed from the last one (PlayerFollower); each track that
// the player starts finds its own lyric in the folder 文件框1 shows (lyric_match.h). The
// title bar says what following waits for; the nudges shift the lines against the
// player's position.
//
// With 选择框1 ticked the nickname comes back at the run's natural end, but only after the
// last line has stood for LastLineHoldMs (playback_wait.h), so that the room sees it; a
// followed lyric's last line stands until its track ends. A run whose target window has
// gone ends, between its lines too (TargetWatch), and the tool says so once.
//
// A delivery runs none of the tool's messages (text_delivery.h), so every handler below
// finds the run as the last one left it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "delivery/player_follower.h"
#include "delivery/player_source.h"
#include "delivery/target_watch.h"
#include "delivery/target_window.h"
#include "lyrics/lyric_timeline.h"
#include "win/ui_event.h"

// How the waits between lines are computed. Anchored is the tool's way; Chained, each
// wait the plain gap between two time stamps, exists to measure what it costs.
enum class PlaybackSchedule { Anchored, Chained };

// The clock of playback runs, in ms (the performance counter: GetTickCount steps 16 ms).
int64_t PlaybackNowMs();

class Playback {
 public:
  // creditText: what an empty lyric line reads (CreditText, lyrics/lyric_loader_win.h).
  explicit Playback(std::string creditText);
  // The music player that a run follows when 选择框2 is ticked; none: such a run waits
  // for a player that never comes.
  void UsePlayerSource(std::unique_ptr<PlayerSource> source) { player_ = std::move(source); }

  // The handlers bound in the event table.
  // 超级按钮4: starts (or resumes with the pending line) and stops; refuses with a
  // message without a target window or a lyric.
  void OnPlayButton();
  // Why a start would be refused (the message and its caption); a null text when
  // playback may start.
  struct Refusal {
    const char* text = nullptr;
    const char* caption = nullptr;
  };
  Refusal StartRefusal() const;
  // A file chosen in 文件框1 (a click or a double click; the event's text is its path):
  // loaded into the lyric table from its start, or, while lyrics play, playback halts
  // instead.
  void OnLyricFileChosen(const UiEventData& chosen);
  // 时钟_歌词播放: writes the line that is due and sets the wait before the next.
  void OnTimer();
  // A double click on the lyric table while lyrics play: the event's row's line now (no
  // row: the lyric from its start).
  void OnLyricRowDoubleClick(const UiEventData& clicked);
  // A main window created anew (its timer is new) finds playback idle.
  void OnMainWindowCreated();
  // Stops playback without forgetting the position, and writes the nickname back.
  void Halt();
  // A pick has ended: a line it held (deliveries take nothing during a pick, and the run
  // retries as for a hung target) is tried at once, as the line of the moment, whether
  // the run plays by its own clock or follows the player.
  void OnPickEnded();

  // Nudges of an anchored run while lyrics play; nothing while idle. The lines not yet
  // written come earlierMs sooner (later when negative), none due before now.
  void ShiftPendingLines(int32_t earlierMs);
  // The next line is written now, and the lines after it keep their spacing from it.
  void WritePendingLineNow();
  // How far the nudges have moved the lines ahead of the schedule the run started,
  // resumed or jumped with, in ms (negative: behind).
  int32_t ShiftMs() const;

  // Playing, retrying or following: the run has not stopped.
  bool Playing() const { return run_ != Run::Idle; }
  // The lyric's last line stands before the nickname comes back; a stop now writes it back.
  bool HoldingLastLine() const { return run_ == Run::Holding; }
  // The run follows the music player.
  bool Following() const { return run_ == Run::Following; }
  // Shows the title that the run calls for again (after a notice of the hot keys).
  void ShowTitleAgain();
  // 0: not started; k >= 1: line k is the next to write.
  int32_t Cursor() const { return cursor_; }
  const LyricTimeline& Timeline() const { return timeline_; }
  TargetWindow& Target() { return target_; }
  const TargetWindow& Target() const { return target_; }
  void SetSchedule(PlaybackSchedule schedule) { schedule_ = schedule; }

 private:
  // The run: idle; playing, the timer set for the next line; retrying the line of the
  // moment, which a hung target did not take, every kRetryMs; or, with 选择框1 ticked,
  // holding the last line written for LastLineHoldMs (playback_wait.h) before the
  // nickname comes back, so that the room sees it.
  enum class Run { Idle, Playing, Retrying, Holding, Following };
  // How a run stops: by the play button (the lyric starts over next time), halted by a
  // file chosen while lyrics play (the pending line is written first next time), at
  // the lyric's end (the two write the nickname back), or because the target window has
  // gone (nothing is written, the lyric starts over next time).
  enum class Ending { ByButton, Halted, Finished, TargetGone };
  // Where a step comes from: the run's schedule (a tick, a nudge), or a start, resume or
  // jump, which anchors the schedule anew at the line it writes.
  enum class From { Schedule, Resume };

  void SetRun(Run run);
  // Following the music player (playback_follow.cpp).
  void StartFollowing();
  void StopFollowing();
  bool RetryingHeldLine() const;
  void FollowStep();
  void OnPlayerReading(const PlayerReading& reading);
  void OnTrackChanged(const PlayerTrack& track);
  bool LoadLyricOfTrack(const PlayerTrack& track);
  bool FollowLyricFile(const std::string& path);
  void FollowLines();
  void WriteFollowedLine(int32_t line);
  void SetFollowNotice(std::string notice);
  void Stop(Ending ending);
  bool EndIfTargetGone();
  bool HoldLastLine();
  void Step(From from);
  void ShowShift();
  void Anchor(int32_t stampMs);
  void ScheduleAnchored(int32_t dueStamp);
  void ScheduleLine(int32_t dueStamp, int32_t lastStamp);
  void ScheduleRetry(int32_t k, int32_t count);
  bool WriteLine(int32_t line);
  int32_t StampOf(int32_t line) const;
  int32_t CurrentLineFrom(int32_t k, int32_t count) const;
  int32_t NudgedLine() const;

  TargetWindow target_;
  TargetWatch watch_;  // ends the run between its lines when the target has gone
  LyricTimeline timeline_;
  PlaybackSchedule schedule_ = PlaybackSchedule::Anchored;
  Run run_ = Run::Idle;
  int32_t cursor_ = 0;
  // Where the running schedule is anchored: the clock reading at which the time stamp
  // anchorStampMs_ was (or is taken to be) reached.
  int64_t anchorTick_ = 0;
  int32_t anchorStampMs_ = 0;
  // Where the song's start lay when the run was last anchored by a start, resume or
  // jump: the nudges since have moved the anchor away from it.
  int64_t songStartTick_ = 0;
  std::string shownTitle_;  // what the title bar shows; empty: the plain title
  std::string creditText_;

  // Following the music player.
  std::unique_ptr<PlayerSource> player_;
  PlayerFollower follower_;
  PlayerTrack track_;          // the track whose lyric is followed
  bool trackSeen_ = false;     // false until the run has seen a track playing
  bool trackHasLyric_ = false;
  bool chosenForFirstTrack_ = false;  // the lyric chosen before the press, for a track no name fits
  bool wroteLine_ = false;            // a followed line stands in the target field
  bool loadingLyric_ = false;         // a lyric loads (its message box may run the timer)
  // The followed line that the target did not take (hung, or a pick under way), and when
  // it is tried again: the line of the moment then, not the ones missed meanwhile.
  bool followLineHeld_ = false;
  int64_t followRetryMs_ = 0;
  int64_t lastReadMs_ = 0;
  std::string followNotice_;  // what the title bar says following waits for
};
