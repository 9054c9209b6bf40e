// The scroller and the billboard on the real main window, writing into a recording
// target: the texts, their order, the stop by a nested click, the restore, a pass that
// ends after a stop, rows edited during a pass, the empty list, the other feature and
// playback running inside a loop, and the main window closing under a running loop.
#include "billboard/billboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "delivery/playback.h"
#include "layout/program_windows.h"
#include "support/later_on_this_thread.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"
#include "win/timed_wait.h"

namespace {

using Strings = std::vector<std::string>;

const char kIdle[] = "开始滚动";

// The wait the loops get here: it notes each period asked for, runs what the test
// planned for that wait (mostly posting a click, which the wait itself then dispatches
// as a nested call) and waits for real.
class ScriptedWait {
 public:
  void At(int wait, std::function<void()> action) { plan_.emplace(wait, std::move(action)); }
  StepWait Fn() {
    return [this](int ms) {
      periods.push_back(ms);
      const auto [first, last] = plan_.equal_range(static_cast<int>(periods.size()));
      for (auto it = first; it != last; ++it) it->second();
      TimedWait(ms);
    };
  }
  std::vector<int> periods;

 private:
  std::multimap<int, std::function<void()>> plan_;
};

class LoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    M<MainCtl::编辑框_窗口句柄>().SetText(HandleText(target.Handle()));
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

  MainWindowFixture window;
  Recorder target{Recorder::Unicode};  // as a chat client of today is
  Strings received;
  LaterOnThisThread scrollerClick{[] { OnScrollerButton(); }};
  LaterOnThisThread billboardClick{[] { OnBillboardButton(); }};
};

using Scroller = LoopTest;
using Billboard = LoopTest;
using BillboardAndScroller = LoopTest;

struct RotationCase {
  std::string typed;
  Strings delivered;  // one per step
};

TEST_F(Scroller, DeliversEachTurnInOrderAndStopsOnTheNestedClick) {
  const std::vector<RotationCase> cases = {
      {"ab cd", {"b cda", " cdab", "dabc"}},
      {"中文abc", {"文abc中", "abc中文", "bc中文a"}},
      {"，中😀", {"中😀，", "😀，中", "，中😀"}},  // whole characters, beyond the BMP too
      {"", {"", "", ""}},
  };
  for (const RotationCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.typed));
    received.clear();
    M<MainCtl::编辑框2>().SetText(c.typed);
    M<MainCtl::编辑框3>().SetText("１０");  // full-width "10"
    ScriptedWait wait;
    wait.At(1, [] { M<MainCtl::编辑框3>().SetText(" 25ms"); });  // read afresh at every wait
    wait.At(3, [&] { scrollerClick.Post(); });
    ToggleScroller(wait.Fn());
    EXPECT_EQ(Texts(), c.delivered);
    EXPECT_EQ(wait.periods, (std::vector<int>{10, 25, 25}));
    EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
    EXPECT_EQ(M<MainCtl::编辑框2>().Text(), c.delivered.back());  // the last turn, not as typed
  }
}

TEST_F(Scroller, StopRestoresTheNicknameOnceAndNothingFollows) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框2>().SetText("abc");
  M<MainCtl::编辑框3>().SetText("30");
  scrollerClick.Post();  // dispatched in the first delivery's own pause
  OnScrollerButton();
  EXPECT_EQ(M<MainCtl::按钮1>().Text(), kIdle);
  PumpFor(100);
  EXPECT_EQ(Texts(), (Strings{"bca", "nick"}));
}

TEST_F(Scroller, TheBillboardStartedInsideItsWaitRunsFirstToItsEnd) {
  M<MainCtl::编辑框2>().SetText("abc");
  M<MainCtl::编辑框3>().SetText("20");
  M<MainCtl::编辑框5>().SetText("20");
  SetRows({"x", "y"});
  ScriptedWait billboardWait;
  billboardWait.At(2, [&] { billboardClick.Post(); });
  LaterOnThisThread startBillboard([&] { ToggleBillboard(billboardWait.Fn()); });
  ScriptedWait scrollerWait;
  scrollerWait.At(1, [&] { startBillboard.Post(); });
  scrollerWait.At(2, [&] { scrollerClick.Post(); });
  ToggleScroller(scrollerWait.Fn());
  EXPECT_EQ(Texts(), (Strings{"bca", "x", "y", "cab"}));
  EXPECT_EQ(billboardWait.periods.size(), 2u);
  EXPECT_EQ(scrollerWait.periods.size(), 2u);
  EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
}

TEST_F(Scroller, LyricPlaybackKeepsRunningInsideTheLoop) {
  TempFolder dir;
  dir.Write("song.lrc", "[00:00.10]one\r\n[00:00.20]two\r\n[00:00.30]three\r\n");
  const auto files = M<MainCtl::文件框1>();
  files.SetFolder(dir.Path());
  files.SetSelectedEntry(0);
  OnLyricFileChosen();
  M<MainCtl::编辑框2>().SetText("ab");
  M<MainCtl::编辑框3>().SetText("20");
  OnPlayButton();
  // Stops once the song has ended; the cap only keeps a broken playback from looping on.
  int waits = 0;
  StepWait wait = [&](int ms) {
    if (M<MainCtl::超级按钮4>().Text() == "播 放" || ++waits == 500) scrollerClick.Post();
    TimedWait(ms);
  };
  ToggleScroller(wait);
  Strings lyrics, turns;
  for (const ReceivedText& t : ReceivedTexts(target.Take()))
    (t.charLParam == 1 ? lyrics : turns).push_back(t.text);
  EXPECT_EQ(lyrics, (Strings{"one", "two", "three"}));
  ASSERT_GE(turns.size(), 2u);
  for (size_t i = 0; i < turns.size(); ++i) EXPECT_EQ(turns[i], i % 2 ? "ab" : "ba");
}

TEST_F(Billboard, WritesTheRowsOverAndOverAndEndsThePassAfterAStop) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框5>().SetText("15");
  SetRows({"a", "中文", "", " pad "});
  ScriptedWait wait;
  wait.At(6, [&] { billboardClick.Post(); });  // second pass, after its second row
  ToggleBillboard(wait.Fn());
  EXPECT_EQ(Texts(), (Strings{"a", "中文", "", " pad ", "a", "中文", "nick", "", " pad "}));
  EXPECT_EQ(wait.periods, std::vector<int>(8, 15));
  EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
  PumpFor(50);
  EXPECT_EQ(Texts().size(), 9u);
}

struct EditCase {
  const char* name;
  Strings rows;
  std::function<void()> editAtFirstWait;
  int stopAtWait;
  Strings delivered;
};

TEST_F(Billboard, RowsEditedDuringAPass) {
  const auto list = M<MainCtl::超级列表框1>();
  const std::vector<EditCase> cases = {
      {"a row added shows from the next pass", {"a", "b"}, [&] { list.InsertRow("c", 0); }, 3,
       {"a", "b", "a", "b", "c"}},
      {"vanished rows read empty", {"a", "b", "c"}, [&] { list.DeleteRow(2); list.DeleteRow(1); }, 1,
       {"a", "", ""}},
      {"a changed row is read when its turn comes", {"a", "b"}, [&] { list.SetCell(1, 0, "B"); }, 1,
       {"a", "B"}},
  };
  M<MainCtl::编辑框5>().SetText("5");
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    received.clear();
    SetRows(c.rows);
    ScriptedWait wait;
    wait.At(1, c.editAtFirstWait);
    wait.At(c.stopAtWait, [&] { billboardClick.Post(); });
    ToggleBillboard(wait.Fn());
    EXPECT_EQ(Texts(), c.delivered);
    EXPECT_EQ(wait.periods.size(), c.delivered.size());
  }
}

TEST_F(Billboard, AnEmptyListWaitsOncePerPassAndSeesTheStop) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"0", EMPTY_PASS_MIN_WAIT_MS}, {"-5", EMPTY_PASS_MIN_WAIT_MS},
      {"abc", EMPTY_PASS_MIN_WAIT_MS}, {"40", 40}};
  for (const auto& [period, expectedWait] : cases) {
    SCOPED_TRACE(period);
    M<MainCtl::编辑框5>().SetText(period);
    ScriptedWait wait;
    wait.At(4, [&] { billboardClick.Post(); });
    ToggleBillboard(wait.Fn());
    EXPECT_EQ(wait.periods, std::vector<int>(4, expectedWait));
    EXPECT_EQ(M<MainCtl::按钮5>().Text(), kIdle);
  }
  EXPECT_TRUE(Texts().empty());
}

TEST_F(Billboard, AddAndDeleteRows) {
  const auto list = M<MainCtl::超级列表框1>();
  const auto input = M<MainCtl::编辑框4>();
  input.SetText(" 第一条 ");
  OnAddBillboardLine();
  OnAddBillboardLine();  // duplicates are kept
  input.SetText("");
  OnAddBillboardLine();  // an empty row
  input.SetText("last");
  OnAddBillboardLine();
  EXPECT_EQ(input.Text(), "last");
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "", "last"}));

  list.SetSelectedRow(-1);
  OnDeleteBillboardLine();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "", "last"}));
  list.SetSelectedRow(2);
  OnDeleteBillboardLine();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", " 第一条 ", "last"}));
  list.SetSelectedRow(0);
  OnDeleteBillboardLine();
  EXPECT_EQ(Rows(), (Strings{" 第一条 ", "last"}));
}

// Closing the main window in the middle of a wait of an hour: the wait ends with the
// quit request, the loop ends at its test, nothing more is written (no restore either,
// though it is asked for) and the quit request is left for the message loop.
struct CloseCase {
  const char* name;
  void (*run)(const StepWait&);
  const char* firstText;
};

TEST_F(BillboardAndScroller, ClosingTheMainWindowEndsARunningLoop) {
  const std::vector<CloseCase> cases = {
      {"scroller", ToggleScroller, "bca"},
      {"billboard", ToggleBillboard, "a"},
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (!ui::WindowExists(WindowKind::Main)) {
      ui::LoadOptions hidden;
      hidden.show = false;
      ASSERT_TRUE(ui::LoadWindow(WindowKind::Main, hidden));
      SetUp();
    }
    received.clear();
    M<MainCtl::选择框1>().SetChecked(true);
    M<MainCtl::编辑框2>().SetText("abc");
    M<MainCtl::编辑框3>().SetText("3600000");
    M<MainCtl::编辑框5>().SetText("3600000");
    SetRows({"a", "b", "c"});
    LaterOnThisThread close([] { ui::DestroyWindowNow(WindowKind::Main); });
    ScriptedWait wait;
    wait.At(1, [&] { close.Post(); });
    c.run(wait.Fn());
    EXPECT_FALSE(ui::WindowExists(WindowKind::Main));
    EXPECT_EQ(wait.periods.size(), 1u);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    PumpFor(50);
    EXPECT_EQ(Texts(), (Strings{c.firstText}));
  }
}

}  // namespace
