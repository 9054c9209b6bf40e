// The scroller and the billboard on the real main window, bound by the program's event
// table, writing into a recording target: the texts, their order, the waits, the stop,
// the restore, a pass that ends after a stop, rows edited during a pass, the empty list,
// the other feature and playback running beside them, and the main window closing under
// a run.
#include "billboard/billboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/features.h"
#include "billboard/scroll_text.h"
#include "layout/program_windows.h"
#include "support/later_on_this_thread.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"
#include "win/form.h"

namespace {

using Strings = std::vector<std::string>;

const char kIdle[] = "开始滚动";
const char kRunning[] = "停止滚动";

// A message to the main window about one of its controls, as the window layer receives
// it from Windows: a button's click or a timer's tick.
void SendToMain(UINT message, MainCtl control) {
  const HWND main = ui::WindowHandle(WindowKind::Main);
  const WPARAM id = ui_internal::kControlIdBase + static_cast<int>(control);
  if (message == WM_COMMAND) {
    const HWND button = Control(WindowKind::Main, static_cast<int>(control)).Handle();
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  } else {
    SendMessageW(main, WM_TIMER, id, 0);
  }
}

// One feature as the user drives it: its button, and its timer. Run ticks the timer
// itself instead of waiting for it, so that no real time passes and the count of steps
// does not depend on the machine's load: while the timer is set it notes the period,
// stops the timer, does what the test planned for that wait, dispatches what is queued
// (a click posted meanwhile arrives there) and sends the tick.
class Feature {
 public:
  Feature(MainCtl button, MainCtl timer) : button_(button), timer_(timer) {}
  void Click() const { SendToMain(WM_COMMAND, button_); }
  void At(int wait, std::function<void()> action) { plan_.emplace(wait, std::move(action)); }
  // Starts the feature and runs it to its end; answers the waits it set, in ms.
  std::vector<int> Run() {
    Click();
    std::vector<int> waits;
    const Timer timer(WindowKind::Main, static_cast<int>(timer_));
    while (timer.TimerPeriod() > 0) {
      waits.push_back(timer.TimerPeriod());
      timer.SetTimerPeriod(0);
      const auto [first, last] = plan_.equal_range(static_cast<int>(waits.size()));
      for (auto it = first; it != last; ++it) it->second();
      PumpOwnQueue();
      SendToMain(WM_TIMER, timer_);
    }
    return waits;
  }
  bool TimerSet() const { return Timer(WindowKind::Main, static_cast<int>(timer_)).TimerPeriod() > 0; }

 private:
  MainCtl button_, timer_;
  std::multimap<int, std::function<void()>> plan_;
};

// The feature objects under test: this file's own, kept for the whole run.
Program& TestedProgram() {
  static Program program;
  return program;
}

class LoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestedProgram().features.playback.Target().Set(target.Handle());
    M<MainCtl::编辑框6>().SetText("nick");
  }

  // Everything the target has received so far, as texts.
  Strings Texts() {
    for (const ReceivedText& t : ReceivedTexts(target.Take())) {
      received.push_back(t.text);
      if (!t.text.empty()) {
        EXPECT_EQ(t.charLParam, 0) << t.text;
      }
    }
    return received;
  }

  static void SetRows(const Strings& rows) {
    const auto list = M<MainCtl::超级列表框1>();
    list.DeleteAllRows();
    for (const std::string& row : rows) list.InsertRow(row, 0);
  }
  static Strings Rows() {
    const auto list = M<MainCtl::超级列表框1>();
    Strings rows;
    for (int i = 0; i < list.RowCount(); ++i) rows.push_back(list.Cell(i, 0));
    return rows;
  }

  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture window;
  Recorder target{Recorder::Unicode};  // as a chat client of today is
  Strings received;
  Feature scroller{MainCtl::按钮1, MainCtl::时钟_单行滚动};
  Feature billboard{MainCtl::按钮5, MainCtl::时钟_广告牌};
};

using Scroller = LoopTest;
using Billboard = LoopTest;
using BillboardAndScroller = LoopTest;

struct RotationCase {
  std::string typed;
  Strings delivered;  // one per step
};

TEST_F(Scroller, DeliversEachTurnInOrderAndStopsOnTheClick) {
  const std::vector<RotationCase> cases = {
      {"ab cd", {"b cda", " cdab", "dabc"}},
      {"中文abc", {"文abc中", "abc中文", "bc中文a"}},
      {"，中😀", {"中😀，", "😀，中", "，中😀"}},  // whole characters, beyond the BMP too
      {"", {}},  // an empty box types nothing, so it erases nothing either
  };
  for (const RotationCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.typed));
    received.clear();
    M<MainCtl::编辑框2>().SetText(c.typed);
    M<MainCtl::编辑框3>().SetText("３１０");  // full-width "310"
    Feature run = scroller;
    run.At(1, [] { M<MainCtl::编辑框3>().SetText(" 250ms"); });  // read afresh at every wait
    run.At(3, [&] { scroller.Click(); });
    EXPECT_EQ(run.Run(), (std::vector<int>{310, 250, 250}));
    EXPECT_EQ(Texts(), c.delivered);
    EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
    EXPECT_EQ(M<MainCtl::编辑框2>().Text(), c.typed);  // as typed, not the last turn
  }
}

TEST_F(Scroller, StopRestoresTheNicknameOnceAndNothingFollows) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框2>().SetText("abc");
  M<MainCtl::编辑框3>().SetText("30");
  LaterOnThisThread stop([&] { scroller.Click(); });
  stop.Post();  // waits in the queue while the first step delivers
  scroller.Click();
  EXPECT_EQ(stop.runs, 0);
  PumpOwnQueue();
  EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
  EXPECT_FALSE(scroller.TimerSet());
  PumpFor(100);
  EXPECT_EQ(Texts(), (Strings{"bca", "nick"}));
}

// Both features and each on its own timer: neither holds the other up, each keeps its
// own order, and a stop ends only its own feature.
TEST_F(Scroller, RunsBesideTheBillboardAndEachStopEndsOnlyItsOwn) {
  M<MainCtl::编辑框2>().SetText("abc");
  M<MainCtl::编辑框3>().SetText("20");
  M<MainCtl::编辑框5>().SetText("30");
  SetRows({"x", "y"});
  scroller.Click();
  billboard.Click();
  const auto count = [&](bool rows) {
    size_t n = 0;
    for (const std::string& t : Texts()) n += (t == "x" || t == "y") == rows;
    return n;
  };
  ASSERT_TRUE(PumpUntil([&] { return count(false) >= 4 && count(true) >= 3; }, 10000));
  scroller.Click();
  const size_t scrollerTexts = count(false);
  ASSERT_TRUE(PumpUntil([&] { return count(true) >= 6; }, 10000));
  billboard.Click();  // during a pass: the pass shows its last row
  ASSERT_TRUE(PumpUntil([&] { return !billboard.TimerSet(); }, 10000));
  PumpFor(100);
  Strings turns, rows;
  for (const std::string& t : Texts()) (t == "x" || t == "y" ? rows : turns).push_back(t);
  EXPECT_EQ(turns.size(), scrollerTexts);
  for (size_t i = 0; i < turns.size(); ++i) EXPECT_EQ(turns[i], (Strings{"bca", "cab", "abc"}[i % 3]));
  EXPECT_EQ(rows.size() % 2, 0u) << "the pass under way at the stop was not completed";
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], i % 2 ? "y" : "x");
  EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
  EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
}

TEST_F(Scroller, LyricPlaybackKeepsRunningBesideIt) {
  TempFolder dir;
  dir.Write("song.lrc", "[00:00.10]one\r\n[00:00.40]two\r\n[00:00.70]three\r\n");
  const auto files = M<MainCtl::文件框1>();
  files.SetFolder(dir.Path());
  files.SetSelectedEntry(0);
  TestedProgram().features.playback.OnLyricFileChosen(ChosenLyricFileEvent());
  M<MainCtl::编辑框2>().SetText("ab");
  M<MainCtl::编辑框3>().SetText("200");
  TestedProgram().features.playback.OnPlayButton();
  scroller.Click();
  EXPECT_TRUE(PumpUntil([] { return M<MainCtl::超级按钮4>().Text() == "播 放"; }, 10000));
  scroller.Click();
  Strings lyrics, turns;
  for (const ReceivedText& t : ReceivedTexts(target.Take()))
    (t.charLParam == 1 ? lyrics : turns).push_back(t.text);
  EXPECT_EQ(lyrics, (Strings{"one", "two", "three"}));
  ASSERT_GE(turns.size(), 2u);
  for (size_t i = 0; i < turns.size(); ++i) EXPECT_EQ(turns[i], i % 2 ? "ab" : "ba");
}

TEST_F(Billboard, WritesTheRowsOverAndOverAndEndsThePassAfterAStop) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框5>().SetText("215");
  SetRows({"a", "中文", "", " pad "});
  billboard.At(6, [&] { billboard.Click(); });  // second pass, after its second row
  EXPECT_EQ(billboard.Run(), std::vector<int>(8, 215));
  // The blank row takes its turn and types nothing: the field keeps the text before it.
  EXPECT_EQ(Texts(), (Strings{"a", "中文", " pad ", "a", "中文", "nick", " pad "}));
  EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
  PumpFor(50);
  EXPECT_EQ(Texts().size(), 7u);
}

struct EditCase {
  const char* name;
  Strings rows;
  std::function<void()> editAtFirstWait;
  int stopAtWait;
  size_t steps;
  Strings delivered;
};

TEST_F(Billboard, RowsEditedDuringAPass) {
  const auto list = M<MainCtl::超级列表框1>();
  const std::vector<EditCase> cases = {
      {"a row added shows from the next pass", {"a", "b"}, [&] { list.InsertRow("c", 0); }, 3, 5,
       {"a", "b", "a", "b", "c"}},
      {"vanished rows read empty and type nothing", {"a", "b", "c"},
       [&] { list.DeleteRow(2); list.DeleteRow(1); }, 1, 3, {"a"}},
      {"a changed row is read when its turn comes", {"a", "b"}, [&] { list.SetCell(1, 0, "B"); }, 1, 2,
       {"a", "B"}},
  };
  M<MainCtl::编辑框5>().SetText("5");
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    received.clear();
    SetRows(c.rows);
    Feature run = billboard;
    run.At(1, c.editAtFirstWait);
    run.At(c.stopAtWait, [&] { billboard.Click(); });
    EXPECT_EQ(run.Run().size(), c.steps);
    EXPECT_EQ(Texts(), c.delivered);
  }
}

TEST_F(Billboard, AnEmptyListWaitsOncePerPassAndSeesTheStop) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"0", MIN_STEP_PERIOD_MS}, {"-5", MIN_STEP_PERIOD_MS},
      {"abc", MIN_STEP_PERIOD_MS}, {"400", 400}};
  for (const auto& [period, expectedWait] : cases) {
    SCOPED_TRACE(period);
    M<MainCtl::编辑框5>().SetText(period);
    Feature run = billboard;
    run.At(4, [&] { billboard.Click(); });
    EXPECT_EQ(run.Run(), std::vector<int>(4, expectedWait));
    EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
  }
  EXPECT_TRUE(Texts().empty());
}

// Neither writes more than five times a second, whatever the period box holds: a wait
// of at least MIN_STEP_PERIOD_MS follows every text.
TEST_F(BillboardAndScroller, NeverWriteMoreThanFiveTimesASecond) {
  SetRows({"x"});
  M<MainCtl::编辑框2>().SetText("abc");
  const std::vector<std::pair<std::string, int>> periods = {
      {"0", 200}, {"", 200}, {"-5", 200}, {"abc", 200}, {"199", 200}, {"０", 200}, {"200", 200}, {"201", 201}};
  for (const auto& [period, expectedWait] : periods) {
    SCOPED_TRACE(testing::PrintToString(period));
    for (Feature* feature : {&scroller, &billboard}) {
      M<MainCtl::编辑框3>().SetText(period);
      M<MainCtl::编辑框5>().SetText(period);
      Feature run = *feature;
      run.At(3, [&] { feature->Click(); });
      EXPECT_EQ(run.Run(), std::vector<int>(3, expectedWait));
    }
  }
}

// With no window to write into, neither starts: each says so once and writes nowhere.
TEST_F(Billboard, NeitherStartsWithoutATargetWindow) {
  MessageBoxWatcher boxes;
  SetRows({"row"});
  TestedProgram().features.playback.Target().Set(nullptr);
  scroller.Click();
  billboard.Click();
  PumpUntil([&] { return boxes.All().size() >= 2; }, 1000);
  const auto seen = boxes.All();
  ASSERT_EQ(seen.size(), 2u);
  for (const auto& box : seen) EXPECT_EQ(box.text, "请把左上角的准星拖到聊天程序的昵称框上");
  EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
  EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
  EXPECT_FALSE(scroller.TimerSet());
  EXPECT_FALSE(billboard.TimerSet());
  for (const Msg& m : target.Take()) EXPECT_FALSE(IsInput(m.message)) << m;
}

TEST_F(Billboard, AddAndDeleteRows) {
  const auto list = M<MainCtl::超级列表框1>();
  const auto input = M<MainCtl::编辑框4>();
  const auto add = [] { SendToMain(WM_COMMAND, MainCtl::按钮3); };
  const auto remove = [] { SendToMain(WM_COMMAND, MainCtl::按钮4); };
  input.SetText(" 第一条 ");
  add();
  add();  // duplicates are kept
  input.SetText("");
  add();  // an empty row
  input.SetText("last");
  add();
  EXPECT_EQ(input.Text(), "last");
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "", "last"}));

  list.SetSelectedRow(-1);
  remove();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "", "last"}));
  list.SetSelectedRow(2);
  remove();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "last"}));
  list.SetSelectedRow(0);
  remove();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", "last"}));
}

// Closing the main window in the middle of a wait of an hour: the run ends with its
// timer, nothing more is written (no restore either, though it is asked for), the quit
// request is left for the message loop, and a main window created anew finds the
// feature idle: its first click starts it.
struct CloseCase {
  const char* name;
  Feature* feature;
  MainCtl button;
  const char* firstText;
};

TEST_F(BillboardAndScroller, ClosingTheMainWindowEndsARun) {
  const std::vector<CloseCase> cases = {
      {"scroller", &scroller, MainCtl::按钮1, "bca"},
      {"billboard", &billboard, MainCtl::按钮5, "a"},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    target.Take();
    received.clear();
    M<MainCtl::选择框1>().SetChecked(true);
    M<MainCtl::编辑框2>().SetText("abc");
    M<MainCtl::编辑框3>().SetText("3600000");
    M<MainCtl::编辑框5>().SetText("3600000");
    SetRows({"a", "b", "c"});
    Feature& feature = *c.feature;
    feature.Click();
    EXPECT_TRUE(feature.TimerSet());
    ui::DestroyWindowNow(WindowKind::Main);
    EXPECT_FALSE(ui::WindowExists(WindowKind::Main));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    PumpFor(50);
    EXPECT_EQ(Texts(), (Strings{c.firstText}));

    ui::LoadOptions hidden;
    hidden.show = false;
    ASSERT_TRUE(ui::LoadWindow(WindowKind::Main, hidden));
    SetUp();
    M<MainCtl::编辑框3>().SetText("3600000");
    M<MainCtl::编辑框5>().SetText("3600000");
    const Button button(WindowKind::Main, static_cast<int>(c.button));
    feature.Click();
    EXPECT_EQ(button.Text(), kRunning);
    feature.Click();
    EXPECT_EQ(button.Text(), kIdle);
  }
}

}  // namespace
