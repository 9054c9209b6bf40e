// Playback's run that follows the music player (选择框2 ticked): see playback.h.
#include "delivery/playback.h"
#include "win/program.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "delivery/lyric_moment.h"
#include "delivery/text_delivery.h"
#include "layout/program_windows.h"
#include "lyrics/lrc_parser.h"
#include "lyrics/lyric_encoding.h"
#include "lyrics/lyric_loader_win.h"
#include "lyrics/lyric_match.h"
#include "lyrics/lyric_table.h"
#include "text/encoding.h"
#include "win/owners.h"

namespace {

// How often the player is read at the least; between readings the next line is timed
// from the last one.
constexpr int64_t kPlayerReadMs = 100;
// A tick this close to the next reading's time reads the player: the timer rounds.
constexpr int64_t kReadEarlyMs = 5;
// How much of a lyric file its tags are looked for in: they stand at its head.
constexpr DWORD kTagBytes = 4096;
// How often a followed line the target did not take is tried again, as in a timed run.
constexpr int64_t kFollowRetryMs = 250;

const char kNoPlayer[] = "没有找到播放器";
const char kWaitingForPlay[] = "等待播放器播放";

auto LineTimer() { return M<MainCtl::时钟_歌词播放>(); }

// The [ti:] and [ar:] tags at the head of the lyric file at path.
LyricTags TagsOfFile(const std::string& path) {
  const UniqueHandle file(CreateFileW(enc::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string head(kTagBytes, '\0');
  DWORD got = 0;
  if (!ReadFile(file.Get(), &head[0], kTagBytes, &got, nullptr)) return {};
  head.resize(got);
  LyricTimeline timeline;
  parseLrc(LyricFileText(head), timeline);  // a cut last line only loses a time
  return {timeline.title, timeline.artist};
}

std::vector<int32_t> DueTimes(const LyricTimeline& timeline) {
  std::vector<int32_t> due;
  for (int32_t i = 0; i < timeline.count; ++i) due.push_back(timeline.DueMs(static_cast<size_t>(i)));
  return due;
}

}  // namespace

void Playback::StartFollowing() {
  SetRun(Run::Following);
  follower_ = PlayerFollower();
  track_ = PlayerTrack();
  trackSeen_ = false;
  trackHasLyric_ = false;
  chosenForFirstTrack_ = timeline_.count > 0;
  wroteLine_ = false;
  followLineHeld_ = false;
  followNotice_.clear();
  lastReadMs_ = PlaybackNowMs() - kPlayerReadMs;  // the player is read at once
  FollowStep();
}

// The stop of the button and of Ctrl+Alt+P alike: the nickname back when the box asks
// and a line stands in the field (a track without lyric has put it back already).
void Playback::StopFollowing() {
  LineTimer().SetTimerPeriod(0);
  SetRun(Run::Idle);
  followNotice_.clear();
  ShowShift();
  if (wroteLine_) RestoreNickname(target_);
  wroteLine_ = false;
}

void Playback::FollowStep() {
  // A lyric that cannot be read says so in a box, whose loop runs the timer: the step
  // that loads it goes on once the box is closed.
  if (!Following() || loadingLyric_) return;
  const int64_t now = PlaybackNowMs();
  if (now - lastReadMs_ >= kPlayerReadMs - kReadEarlyMs) {
    PlayerReading reading;
    reading.takenMs = now;
    if (player_) reading = player_->Read(now);
    // Counted from the reading's end: a player that took its whole time to not answer
    // leaves the tool a reading's time to itself.
    lastReadMs_ = PlaybackNowMs();
    OnPlayerReading(reading);
  }
  FollowLines();
}

void Playback::OnPlayerReading(const PlayerReading& reading) {
  const bool plays = reading.state == PlayerState::Playing || reading.state == PlayerState::Paused;
  if (reading.state == PlayerState::Absent) {
    SetFollowNotice(kNoPlayer);
    trackSeen_ = false;  // a player started again finds its track's lyric anew
  } else if (!plays || reading.track.title.empty()) {
    SetFollowNotice(kWaitingForPlay);
  } else {
    if (!trackSeen_ || reading.track != track_) OnTrackChanged(reading.track);
    SetFollowNotice(trackHasLyric_ ? "" : "没有找到《" + track_.title + "》的歌词");
  }
  PlayerReading taken = reading;
  if (plays && reading.track.title.empty()) taken.state = PlayerState::Stopped;
  // The track has ended (the player stopped, or went): the line stood until now, and the
  // nickname comes back.
  if (wroteLine_ && (taken.state == PlayerState::Stopped || taken.state == PlayerState::Absent)) {
    RestoreNickname(target_);
    wroteLine_ = false;
  }
  const int32_t line = follower_.Take(taken);
  if (trackHasLyric_) WriteFollowedLine(line);
}

// Another track: its own lyric from the folder, or (for the track that plays when the
// run starts) the one chosen before; none: nothing is written until a track has one.
void Playback::OnTrackChanged(const PlayerTrack& track) {
  // The last track's line stood until its end, which is now: the nickname comes back
  // before the new track's lines.
  if (wroteLine_) {
    RestoreNickname(target_);
    wroteLine_ = false;
  }
  track_ = track;
  trackSeen_ = true;
  const bool found = LoadLyricOfTrack(track) || (chosenForFirstTrack_ && timeline_.count > 0);
  chosenForFirstTrack_ = false;
  trackHasLyric_ = found;
  followLineHeld_ = false;  // the last track's line is not the new one's
  follower_.SetLines(found ? DueTimes(timeline_) : std::vector<int32_t>());
}

// Selects the track's lyric in 文件框1 and loads it as a choice of the user's would.
bool Playback::LoadLyricOfTrack(const PlayerTrack& track) {
  const auto list = M<MainCtl::文件框1>();
  const std::string folder = list.Folder();
  const std::vector<std::string> entries = list.Entries();
  const int found = FindLyricForTrack(entries, track.artist, track.title,
                                      [&](const std::string& name) { return TagsOfFile(folder + "\\" + name); });
  if (found < 0) return false;
  list.SetSelectedEntry(found);
  return FollowLyricFile(folder + "\\" + entries[static_cast<size_t>(found)]);
}

// Loads the lyric at path into the table and follows it from the player's position;
// false when it holds no line.
bool Playback::FollowLyricFile(const std::string& path) {
  loadingLyric_ = true;
  LoadLyricFile(path, timeline_, creditText_);
  loadingLyric_ = false;
  trackHasLyric_ = timeline_.count > 0;
  follower_.SetLines(trackHasLyric_ ? DueTimes(timeline_) : std::vector<int32_t>());
  return trackHasLyric_;
}

// The line due now, if one is, and the timer set for the next line or the next reading,
// whichever comes first.
void Playback::FollowLines() {
  if (!Following()) return;
  if (trackHasLyric_) {
    const int32_t due = follower_.At(PlaybackNowMs());
    if (due > 0) {
      WriteFollowedLine(due);
    } else if (RetryingHeldLine() && PlaybackNowMs() >= followRetryMs_) {
      // The line of the moment, once the target takes it; none when the track started over.
      if (follower_.Written() > 0) WriteFollowedLine(follower_.Written());
      else followLineHeld_ = false;
    }
  }
  int64_t next = std::min(lastReadMs_ + kPlayerReadMs, follower_.NextDueMs());
  if (RetryingHeldLine()) next = std::min(next, followRetryMs_);
  const int64_t wait = std::clamp<int64_t>(next - PlaybackNowMs(), 1, kPlayerReadMs);
  const auto timer = LineTimer();
  timer.SetTimerPeriod(0);
  timer.SetTimerPeriod(static_cast<int>(wait));
  ShowShift();
}

// Only while the player plays: paused or stopped, nothing is written, so nothing is tried.
bool Playback::RetryingHeldLine() const {
  return followLineHeld_ && trackHasLyric_ && follower_.LastReading().state == PlayerState::Playing;
}

void Playback::WriteFollowedLine(int32_t line) {
  if (line <= 0 || line > timeline_.count) return;
  lyric_table::Select(line - 1);
  const bool written = DeliverText(target_, TextOfMoment(timeline_, line, LastOfMoment(timeline_, line)), 1);
  if (written) wroteLine_ = true;
  followLineHeld_ = !written;
  if (!written) followRetryMs_ = PlaybackNowMs() + kFollowRetryMs;
  lyric_table::ShowSelected();
}

void Playback::SetFollowNotice(std::string notice) {
  followNotice_ = std::move(notice);
  ShowShift();
}
