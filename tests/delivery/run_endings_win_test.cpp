// How runs end, on real timers into a recording target: with the nickname to come back,
// the last line stands for its hold time (a timed run) or until the track ends (a run
// that follows the player); a target window that goes mid-run ends playback, following,
// the scroller and the billboard alike, and the tool says so once.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/features.h"
#include "delivery/classic_player_source.h"
#include "delivery/playback_wait.h"
#include "delivery/text_delivery.h"
#include "layout/program_windows.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"
#include "win/form.h"

namespace {

using Strings = std::vector<std::string>;

Program& TestedProgram() {
  static Program program;
  return program;
}
Features& Tool() { return TestedProgram().features; }

// A music player of the test's own: it plays track from startMs on playback's clock
// while state says so.
class ScriptedPlayer : public PlayerSource {
 public:
  PlayerReading Read(int64_t nowMs) override {
    PlayerReading reading;
    reading.state = state;
    reading.track = track;
    reading.takenMs = nowMs;
    reading.positionMs = nowMs - startMs;
    return reading;
  }
  PlayerState state = PlayerState::Playing;
  PlayerTrack track{"", "Odd Track"};
  int64_t startMs = 0;
};

class RunEndings : public ::testing::Test {
 protected:
  void SetUp() override {
    chat.emplace(Recorder::Unicode);
    Tool().playback.Target().Set(chat->Handle());
    M<MainCtl::编辑框6>().SetText("nick");
    M<MainCtl::选择框1>().SetChecked(true);
    M<MainCtl::选择框2>().SetChecked(false);
    dir.Write("zither tune.lrc", "[00:05.00]far\r\n");  // listed after song.lrc
  }
  void TearDown() override {
    M<MainCtl::选择框2>().SetChecked(false);
    Tool().playback.UsePlayerSource(std::make_unique<ClassicPlayerSource>());
  }


 public:  // the runs' tables start them
  void Load(const std::string& lrc) {
    dir.Write("song.lrc", lrc);
    const auto files = M<MainCtl::文件框1>();
    files.SetFolder(dir.Path());
    files.SetSelectedEntry(0);
    Tool().playback.OnLyricFileChosen(ChosenLyricFileEvent());
  }
  // Follows a scripted player; the lyric chosen before is the track's.
  ScriptedPlayer& Follow(const std::string& lrc) {
    auto owned = std::make_unique<ScriptedPlayer>();
    ScriptedPlayer& player = *owned;
    Tool().playback.UsePlayerSource(std::move(owned));
    Load(lrc);
    player.startMs = PlaybackNowMs();
    M<MainCtl::选择框2>().SetChecked(true);
    Tool().playback.OnPlayButton();
    return player;
  }


 protected:
  Strings Texts() {
    if (chat)
      for (const ReceivedText& t : ReceivedTexts(chat->Take())) received.push_back(t.text);
    return received;
  }
  // Pumps until the target has received count texts; the clock when it had.
  int64_t WaitForTexts(size_t count, DWORD limitMs) {
    PumpUntil([&] { return Texts().size() >= count; }, limitMs);
    return PlaybackNowMs();
  }

  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture window;
  MessageBoxWatcher boxes;
  std::optional<Recorder> chat;  // reset: the chat client closes
  TempFolder dir;
  Strings received;
};

// Lines 300 ms apart: the last one stands for the least hold, 3 s, before the nickname
// comes back, and the button reads "停 止" meanwhile; a stop pressed during the hold
// brings the nickname back at once.
TEST_F(RunEndings, TheLastLineStandsForItsHoldThenTheNicknameComesBack) {
  Load("[00:00.10]one\r\n[00:00.40]two\r\n");
  Tool().playback.OnPlayButton();
  const int64_t lastWritten = WaitForTexts(2, 3000);
  ASSERT_EQ(Texts(), (Strings{"one", "two"}));
  EXPECT_TRUE(Tool().playback.Playing());
  const int64_t restored = WaitForTexts(3, kMinLastLineHoldMs + 3000);
  EXPECT_EQ(Texts(), (Strings{"one", "two", "nick"}));
  EXPECT_GE(restored - lastWritten, kMinLastLineHoldMs - 50);  // the timer may round 16 ms early
  EXPECT_FALSE(Tool().playback.Playing());

  received.clear();
  Tool().playback.OnPlayButton();
  WaitForTexts(2, 3000);
  PumpFor(200);
  ASSERT_TRUE(Tool().playback.Playing());  // holding "two"
  Tool().playback.OnPlayButton();
  EXPECT_FALSE(Tool().playback.Playing());
  EXPECT_EQ(Texts(), (Strings{"one", "two", "nick"}));
  EXPECT_EQ(M<MainCtl::超级按钮4>().Text(), "播 放");
}

// Following, the last line stands until the track ends: the player stops, or plays
// another track; a pause is no end.
TEST_F(RunEndings, FollowingTheLastLineStandsUntilTheTrackEnds) {
  const struct {
    const char* name;
    std::function<void(ScriptedPlayer&)> end;
  } kEnds[] = {
      {"stopped", [](ScriptedPlayer& p) { p.state = PlayerState::Stopped; }},
      {"player gone", [](ScriptedPlayer& p) { p.state = PlayerState::Absent; }},
      {"next track", [](ScriptedPlayer& p) { p.track = {"", "Zither Tune"}; p.startMs = PlaybackNowMs(); }},
  };
  for (const auto& c : kEnds) {
    SCOPED_TRACE(c.name);
    received.clear();
    ScriptedPlayer& player = Follow("[00:00.10]one\r\n[00:00.30]two\r\n");
    WaitForTexts(2, 3000);
    player.state = PlayerState::Paused;
    PumpFor(kMinLastLineHoldMs / 10 + 300);
    EXPECT_EQ(Texts(), (Strings{"one", "two"}));
    player.state = PlayerState::Playing;
    player.startMs = PlaybackNowMs() - 400;  // resumed after the last line
    c.end(player);
    WaitForTexts(3, 2000);
    EXPECT_EQ(Texts(), (Strings{"one", "two", "nick"}));
    Tool().playback.OnPlayButton();
    PumpFor(100);
    EXPECT_EQ(Texts(), (Strings{"one", "two", "nick"}));  // the stop finds it back already
    M<MainCtl::选择框2>().SetChecked(false);
  }
}

// The chat client closes mid-run: whatever runs ends within a step, nothing more is
// tried, and one box says so, however many runs found the window gone.
TEST_F(RunEndings, AVanishedTargetEndsEveryRunAndIsSaidOnce) {
  M<MainCtl::编辑框3>().SetText("200");
  M<MainCtl::编辑框5>().SetText("200");
  M<MainCtl::编辑框2>().SetText("abc def");
  const auto rows = M<MainCtl::超级列表框1>();
  while (rows.RowCount() > 0) rows.DeleteRow(0);
  rows.InsertRow("row one", 0);
  rows.InsertRow("row two", 0);
  const auto billboardRunning = [] { return M<MainCtl::按钮5>().Text() == "停止滚动"; };
  const auto scrollerRunning = [] { return M<MainCtl::按钮1>().Text() == "停止滚动"; };
  const struct {
    const char* name;
    std::function<void(RunEndings&)> start;
    std::function<bool()> running;
  } kRuns[] = {
      {"playback", [](RunEndings& t) { t.Load("[00:00.10]one\r\n[00:00.30]two\r\n[00:20.00]three\r\n"); Tool().playback.OnPlayButton(); },
       [] { return Tool().playback.Playing(); }},
      {"following", [](RunEndings& t) { t.Follow("[00:00.10]one\r\n[00:00.30]two\r\n[00:20.00]three\r\n"); },
       [] { return Tool().playback.Playing(); }},
      {"scroller", [](RunEndings&) { Tool().scroller.OnButton(); }, scrollerRunning},
      {"billboard", [](RunEndings&) { Tool().billboard.OnButton(); }, billboardRunning},
      {"scroller and billboard", [](RunEndings&) { Tool().scroller.OnButton(); Tool().billboard.OnButton(); },
       [=] { return scrollerRunning() || billboardRunning(); }},
  };
  size_t seen = 0;
  for (const auto& c : kRuns) {
    SCOPED_TRACE(c.name);
    if (!chat) chat.emplace(Recorder::Unicode);
    Tool().playback.Target().Set(chat->Handle());
    received.clear();
    c.start(*this);
    WaitForTexts(2, 3000);
    ASSERT_TRUE(c.running());
    chat.reset();
    PumpUntil([&] { return !c.running() && boxes.All().size() > seen; }, 3000);
    PumpFor(600);  // a second box would come from the loop by now
    EXPECT_FALSE(c.running());
    ASSERT_EQ(boxes.All().size(), seen + 1);
    EXPECT_EQ(boxes.All().back().text, kTargetGoneText);
    seen = boxes.All().size();
    M<MainCtl::选择框2>().SetChecked(false);
  }
  EXPECT_EQ(M<MainCtl::编辑框2>().Text(), "abc def");  // the ticker's own text back
}

}  // namespace
