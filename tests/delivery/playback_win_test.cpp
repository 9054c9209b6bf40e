// Playback on real timers: the lines reach a recording target window in order, and the
// play button, the lyric file list and the lyric table drive the state as designed.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/features.h"
#include "delivery/classic_player_source.h"
#include "delivery/playback_hot_keys.h"
#include "layout/program_windows.h"
#include "text/encoding.h"
#include "win/form.h"
#include "win/program.h"
#include "support/later_on_this_thread.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"

namespace {

const char kIdle[] = "播 放";
const char kPlaying[] = "停 止";

using Strings = std::vector<std::string>;

// The feature objects under test: this file's own, kept for the whole run.
Program& TestedProgram() {
  static Program program;
  return program;
}
::Playback& Player() { return TestedProgram().features.playback; }
int32_t Cursor() { return Player().Cursor(); }

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    Player().Target().Set(target.Handle());
    M<MainCtl::编辑框6>().SetText("nick");
  }

  void Load(const std::string& lrc) {
    dir.Write("song.lrc", lrc);
    const auto files = M<MainCtl::文件框1>();
    files.SetFolder(dir.Path());
    files.SetSelectedEntry(0);
    Player().OnLyricFileChosen(ChosenLyricFileEvent());
  }

  std::vector<std::string> Texts() {
    for (const ReceivedText& t : ReceivedTexts(target.Take())) {
      received.push_back(t.text);
      lParams.push_back(t.charLParam);
    }
    return received;
  }

  // Dispatches messages until the button reads idle again (or 10 s have passed).
  void PlayToEnd() {
    PumpUntil([] { return Caption() == kIdle; }, 10000);
    ASSERT_EQ(Caption(), kIdle);
  }

  static std::string Caption() { return M<MainCtl::超级按钮4>().Text(); }
  static int Period() { return M<MainCtl::时钟_歌词播放>().TimerPeriod(); }
  static int Selected() { return M<MainCtl::超级列表框_歌词>().SelectedRow(); }

  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture window;
  MessageBoxWatcher boxes;
  Recorder target{Recorder::Unicode};  // as a chat client of today is
  TempFolder dir;
  std::vector<std::string> received;
  std::vector<LPARAM> lParams;
};


// Whatever the system's code page: a file whose name lies outside it is listed, loaded
// and played, and GBK, Big5 and UTF-8 lyrics reach a Unicode chat window as the
// characters they hold.
TEST_F(Playback, FilesOfAnyNameAndEncodingPlayIntoAUnicodeWindow) {
  M<MainCtl::选择框1>().SetChecked(false);
  const struct {
    const char* name;
    std::string bytes;
    const char* line;
  } kCases[] = {
      {"가사😀.lrc", "[00:00.10]아침 햇살😀\n", "아침 햇살😀"},
      {"晨光.lrc", enc::EncodeCodePage("[00:00.10]晨光照在小河上\r\n", enc::kGbk), "晨光照在小河上"},
      {"燈火.lrc", enc::EncodeCodePage("[00:00.10]燈火一盞盞亮起來，\r\n", enc::kBig5), "燈火一盞盞亮起來，"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.Write(c.name, c.bytes);
    const auto files = M<MainCtl::文件框1>();
    files.SetFolder(folder.Path());
    ASSERT_EQ(files.Entries(), Strings{c.name});
    files.SetSelectedEntry(0);
    Player().OnLyricFileChosen(ChosenLyricFileEvent());
    ASSERT_EQ(M<MainCtl::超级列表框_歌词>().Cell(0, 1), c.line);
    received.clear();
    Player().OnPlayButton();
    PlayToEnd();
    EXPECT_EQ(Texts(), Strings{c.line});
  }
}

TEST_F(Playback, WritesEveryLineInOrderThenRestoresTheNickname) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.30]one\r\n[00:00.60]two\r\n[00:00.90]三\r\n");
  Player().OnPlayButton();
  EXPECT_EQ(Caption(), kPlaying);
  EXPECT_EQ(Cursor(), 1);
  EXPECT_GT(Period(), 0);
  EXPECT_LE(Period(), 300);
  EXPECT_TRUE(Texts().empty());  // nothing is written before the first time stamp

  PlayToEnd();
  EXPECT_EQ(Texts(), (Strings{"one", "two", "三", "nick"}));
  EXPECT_EQ(lParams, (std::vector<LPARAM>{1, 1, 1, 0}));
  EXPECT_EQ(Cursor(), 0);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(Selected(), 2);
}

// Lyric files as people download them: the rows of the table and the texts written.
// Lines sharing a time stamp keep their texts and go out as one; the first line at 0 is
// written at once; word times are no text; legacy code pages are read by the system's.
TEST_F(Playback, WritesLyricsOfEveryShapeAsTheirFilesMeanThem) {
  M<MainCtl::选择框1>().SetChecked(false);
  using Rows = std::vector<std::pair<std::string, std::string>>;
  const unsigned system = enc::SystemCodePage();
  const std::string cafe = "Café au lait, s'il vous plaît";
  const std::string gbkLine = "河水弯弯流过小村";  // no Shift-JIS
  const struct {
    const char* name;
    std::string bytes;
    Rows rows;
    Strings written;
    bool onThisSystem;
  } kCases[] = {
      {"a first line at 00:00.00", "[ti:晨光]\r\n[00:00.00]晨光 - 开头的一行\r\n[00:00.20]第二行\r\n[00:00.40]第三行\r\n",
       {{"0", "晨光 - 开头的一行"}, {"200", "第二行"}, {"400", "第三行"}}, {"晨光 - 开头的一行", "第二行", "第三行"}, true},
      {"a bilingual lyric",
       "[00:00.10]The river sings beneath the bridge\r\n[00:00.10]河水在桥下歌唱\r\n[00:00.30]Good night\r\n",
       {{"100", "The river sings beneath the bridge"}, {"100", "河水在桥下歌唱"}, {"300", "Good night"}},
       {"The river sings beneath the bridge / 河水在桥下歌唱", "Good night"}, true},
      {"three spellings of one moment, and a chorus of two tags",
       "[00:00.20]a\r\n[00:00.2]b\r\n[0:00.200][00:00.30]c\r\n",
       {{"200", "a"}, {"200", "b"}, {"200", "c"}, {"300", "c"}}, {"a / b / c", "c"}, true},
      {"a word-timed lyric", "[00:00.10]<00:00.10>Twinkle <00:00.20>twinkle <00:00.30>little <00:00.40>star\r\n",
       {{"100", "Twinkle twinkle little star"}}, {"Twinkle twinkle little star"}, true},
      {"a word-timed lyric without spaces", "[00:00.10]<00:00.10>月<00:00.15>亮<00:00.20>走\r\n", {{"100", "月亮走"}},
       {"月亮走"}, true},
      {"1252 from an old Western player", enc::EncodeCodePage("[00:00.10]" + cafe + "\r\n", 1252),
       {{"100", cafe}}, {cafe}, system == 936 || system == 950 || system == 1252},
      {"Shift-JIS on Japanese Windows", enc::EncodeCodePage("[00:00.10]桜の花が咲いた\r\n", 932),
       {{"100", "桜の花が咲いた"}}, {"桜の花が咲いた"}, system == 932},
      {"GBK on any system", enc::EncodeCodePage("[00:00.10]" + gbkLine + "\r\n", enc::kGbk), {{"100", gbkLine}},
       {gbkLine}, true},
  };
  const auto table = M<MainCtl::超级列表框_歌词>();
  for (const auto& c : kCases) {
    if (!c.onThisSystem) continue;
    SCOPED_TRACE(c.name);
    Load(c.bytes);
    Rows rows;
    for (int i = 0; i < table.RowCount(); ++i) rows.emplace_back(table.Cell(i, 0), table.Cell(i, 1));
    EXPECT_EQ(rows, c.rows);
    received.clear();
    Player().OnPlayButton();
    PlayToEnd();
    EXPECT_EQ(Texts(), c.written);
  }
  EXPECT_TRUE(boxes.All().empty());
}

TEST_F(Playback, ASingleLineAtZeroIsWrittenAtOnceAndEndsTheSong) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.00]only\r\n");
  Player().OnPlayButton();
  EXPECT_EQ(Texts(), (Strings{"only"}));  // it stands for its hold time
  EXPECT_EQ(Caption(), kPlaying);
  PlayToEnd();
  EXPECT_EQ(Texts(), (Strings{"only", "nick"}));
  EXPECT_EQ(Cursor(), 0);
  EXPECT_EQ(Period(), 0);
}

TEST_F(Playback, TheOffsetTagMovesEveryLine) {
  // The wait before the first line, for the same first time stamp of 800 ms.
  const struct {
    const char* header;
    int minMs, maxMs;
  } kCases[] = {
      {"", 700, 800},
      {"[offset:+500]", 200, 300},  // lines 0.5 s late in the file: due 0.5 s earlier
      {"[offset:-400]", 1100, 1200},
      {"[offset:1000]", 100, 200},  // "one" due before the start: at once, "two" 200 ms on
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.header);
    Load(std::string(c.header) + "\r\n[00:00.80]one\r\n[00:01.20]two\r\n");
    Player().OnPlayButton();
    EXPECT_GE(Period(), c.minMs);
    EXPECT_LE(Period(), c.maxMs);
    Player().OnPlayButton();  // stop
  }
  EXPECT_EQ(Texts(), Strings{"one"});  // the line due before the start
  received.clear();
  // The table keeps the file's own stamps; a jump keeps the shifted schedule's gaps.
  Load("[offset:+500]\r\n[00:00.80]one\r\n[00:03.00]two\r\n[00:03.30]three\r\n");
  EXPECT_EQ(M<MainCtl::超级列表框_歌词>().Cell(0, 0), "800");
  Player().OnPlayButton();
  M<MainCtl::超级列表框_歌词>().SetSelectedRow(1);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));
  EXPECT_EQ(Texts(), (Strings{"two"}));
  // 300 ms less the time writing "two" took (a loaded machine has taken over 100 ms); a
  // jump that mixed shifted and file stamps would wait 1 ms or 800 ms.
  EXPECT_GE(Period(), 100);
  EXPECT_LE(Period(), 300);
  PlayToEnd();
  EXPECT_EQ(Texts(), (Strings{"two", "three"}));
}

TEST_F(Playback, StopThenPlayStartsAgainFromTheFirstLine) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.10]one\r\n[00:05.00]two\r\n");
  Player().OnPlayButton();
  PumpUntil([&] { return !Texts().empty(); }, 3000);
  ASSERT_EQ(received, (Strings{"one"}));

  Player().OnPlayButton();  // stop: no restore
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(Cursor(), 0);
  PumpFor(100);
  EXPECT_EQ(Texts(), (Strings{"one"}));

  Player().OnPlayButton();
  EXPECT_EQ(Cursor(), 1);
  PumpUntil([&] { return Texts().size() >= 2; }, 3000);
  EXPECT_EQ(received, (Strings{"one", "one"}));
}

TEST_F(Playback, HaltByAFileChoiceThenPlayResumesWithThePendingLine) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.10]one\r\n[00:09.00]two\r\n[00:20.00]three\r\n");
  Player().OnPlayButton();
  PumpUntil([&] { return !Texts().empty(); }, 3000);
  ASSERT_EQ(Cursor(), 2);

  Player().OnLyricFileChosen(ChosenLyricFileEvent());  // while playing: halts, loads nothing
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(Cursor(), 2);
  EXPECT_EQ(Texts(), (Strings{"one", "nick"}));

  Player().OnPlayButton();  // the pending line at once, not after 9 s
  EXPECT_EQ(Texts(), (Strings{"one", "nick", "two"}));
  EXPECT_EQ(Caption(), kPlaying);
  EXPECT_EQ(Cursor(), 3);
  EXPECT_GT(Period(), 0);
}

TEST_F(Playback, ResumingWithTheLastLinePendingWritesItAndEnds) {
  M<MainCtl::选择框1>().SetChecked(false);
  Load("[00:00.10]one\r\n[00:09.00]two\r\n");
  Player().OnPlayButton();
  PumpUntil([&] { return !Texts().empty(); }, 3000);
  Player().OnLyricFileChosen(ChosenLyricFileEvent());  // halted before the last line
  ASSERT_EQ(Cursor(), 2);
  Player().OnPlayButton();
  EXPECT_EQ(Texts(), (Strings{"one", "two"}));
  EXPECT_EQ(Cursor(), 0);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(Caption(), kPlaying);  // set after the tick, as the button always does
  Player().OnPlayButton();
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Texts(), (Strings{"one", "two"}));
}

TEST_F(Playback, DoubleClickJumpsWhilePlayingAndDoesNothingWhileIdle) {
  Load("[00:00.10]one\r\n[00:08.00]two\r\n[00:16.00]three\r\n[00:24.00]four\r\n");
  const auto table = M<MainCtl::超级列表框_歌词>();
  table.SetSelectedRow(2);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));  // idle
  EXPECT_EQ(Cursor(), 0);
  EXPECT_TRUE(Texts().empty());

  Player().OnPlayButton();
  table.SetSelectedRow(2);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));
  EXPECT_EQ(Texts(), (Strings{"three"}));
  EXPECT_EQ(Cursor(), 4);
  const int gap = Period();
  EXPECT_GT(gap, 7000);  // three's stamp is 16 s, four's 24 s: the wait is from now
  EXPECT_LE(gap, 8000);

  table.SetSelectedRow(3);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));  // the last row: written, and the song ends
  EXPECT_EQ(Texts(), (Strings{"three", "four"}));
  EXPECT_EQ(Cursor(), 0);
  EXPECT_EQ(Caption(), kIdle);
}

TEST_F(Playback, DoubleClickWithNoSelectedRowStartsOver) {
  Load("[00:05.00]one\r\n[00:10.00]two\r\n[00:15.00]three\r\n");
  Player().OnPlayButton();
  M<MainCtl::超级列表框_歌词>().SetSelectedRow(1);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));
  ASSERT_EQ(Cursor(), 3);
  M<MainCtl::超级列表框_歌词>().SetSelectedRow(-1);
  Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));
  EXPECT_EQ(Cursor(), 1);  // item data of no row reads 0: back to the start
  EXPECT_EQ(Texts(), (Strings{"two"}));
  EXPECT_GT(Period(), 4000);
}

// A click that arrives while a tick writes a line runs after the tick, on the run as the
// tick left it.
TEST_F(Playback, AStopDuringALinesDeliveryRunsAfterIt) {
  Load("[00:00.10]one\r\n[00:00.20]two\r\n[00:00.30]three\r\n");
  Player().OnPlayButton();
  LaterOnThisThread stop([] { Player().OnPlayButton(); });
  stop.Post();
  Player().OnTimer();
  EXPECT_EQ(stop.runs, 0);
  PumpOwnQueue();
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Cursor(), 0);
  EXPECT_EQ(Period(), 0);
  PumpFor(200);
  EXPECT_EQ(Texts(), (Strings{"one"}));
}

TEST_F(Playback, AJumpDuringALinesDeliveryRunsAfterIt) {
  Load("[00:00.10]one\r\n[00:05.00]two\r\n[00:10.00]three\r\n[00:15.00]four\r\n");
  Player().OnPlayButton();
  LaterOnThisThread jump([] {
    M<MainCtl::超级列表框_歌词>().SetSelectedRow(3);
    Player().OnLyricRowDoubleClick(RowEvent(M<MainCtl::超级列表框_歌词>().SelectedRow()));
  });
  jump.Post();
  Player().OnTimer();
  PumpOwnQueue();
  EXPECT_EQ(Texts(), (Strings{"one", "four"}));
  EXPECT_EQ(Cursor(), 0);  // four was the last line
  EXPECT_EQ(Period(), 0);
}

// A hot key as the system delivers it: WM_HOTKEY with the id of the key's row.
void Press(MainCtl key, int times = 1) {
  for (int i = 0; i < times; ++i)
    SendMessageW(ui::WindowHandle(WindowKind::Main), WM_HOTKEY, ui_internal::kControlIdBase + static_cast<int>(key), 0);
}

std::string Title() {
  wchar_t title[512] = {};
  GetWindowTextW(ui::WindowHandle(WindowKind::Main), title, 512);
  return enc::Narrow(title);
}

TEST_F(Playback, HotKeysNudgeThePendingLinesAndTheTitleShowsTheShift) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.10]one\r\n[00:04.00]two\r\n[00:08.00]three\r\n[00:12.00]four\r\n[00:16.00]five\r\n");
  const std::string plain = Title();
  Press(MainCtl::热键_提前);  // idle: nothing to move
  EXPECT_EQ(Title(), plain);
  Press(MainCtl::热键_播放停止);
  PumpUntil([&] { return !Texts().empty(); }, 3000);
  ASSERT_EQ(received, (Strings{"one"}));
  Press(MainCtl::热键_提前);
  Press(MainCtl::热键_推后);  // no shift, and the wait measured afresh
  EXPECT_EQ(Title(), plain);

  // The keys pressed, how much sooner the pending line is due after them, the title's head.
  const struct {
    MainCtl key;
    int times;
    int soonerMs;
    const char* shown;
  } kNudges[] = {
      {MainCtl::热键_提前, 1, 500, "[+0.5 s] "},
      {MainCtl::热键_推后, 2, -1000, "[-0.5 s] "},
      {MainCtl::热键_推后, 1, -500, "[-1.0 s] "},
  };
  for (const auto& n : kNudges) {
    const int before = Period();
    Press(n.key, n.times);
    EXPECT_NEAR(before - Period(), n.soonerMs, 30) << n.shown;
    EXPECT_EQ(Title(), n.shown + plain);
  }
  Press(MainCtl::热键_提前, 20);  // no further than now
  EXPECT_EQ(Period(), 1);
  EXPECT_EQ(Texts(), (Strings{"one"}));
  PumpUntil([&] { return Texts().size() >= 2; }, 1000);
  EXPECT_EQ(received, (Strings{"one", "two"}));

  Press(MainCtl::热键_下一句);  // three at once; four 4 s after it
  EXPECT_EQ(Texts(), (Strings{"one", "two", "three"}));
  EXPECT_EQ(Selected(), 2);
  EXPECT_GT(Period(), 3500);
  EXPECT_LE(Period(), 4000);

  // A nudge that arrives while a tick writes four moves five, which that tick scheduled.
  LaterOnThisThread nudge([] { Press(MainCtl::热键_提前); });
  nudge.Post();
  Player().OnTimer();
  PumpOwnQueue();
  EXPECT_EQ(nudge.runs, 1);
  EXPECT_EQ(Texts(), (Strings{"one", "two", "three", "four"}));
  EXPECT_GT(Period(), 7000);  // five is due 8 s after three was written, less the 0.5 s
  EXPECT_LE(Period(), 7500);

  Press(MainCtl::热键_播放停止);  // stop, and the nickname back
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(Title(), plain);
  EXPECT_EQ(Texts(), (Strings{"one", "two", "three", "four", "nick"}));
}

int InputCount(const std::vector<Msg>& log) {
  int n = 0;
  for (const Msg& m : log) n += IsInput(m.message) ? 1 : 0;
  return n;
}

TEST_F(Playback, RefusesWithoutTargetOrLyric) {
  Player().Target().Clear();
  Load("[00:01.00]one\r\n");
  Player().OnPlayButton();
  Player().Target().Set(nullptr);  // a pick that found no window: nothing to write into
  Player().OnPlayButton();
  Player().Target().Set(target.Handle());
  Load("no tags at all\r\n");
  Player().OnPlayButton();
  PumpUntil([&] { return boxes.All().size() >= 3; }, 1000);
  const auto seen = boxes.All();
  ASSERT_EQ(seen.size(), 3u);
  for (int i : {0, 1}) {
    EXPECT_EQ(seen[i].caption, "没有目标");
    EXPECT_EQ(seen[i].text, "请把左上角的准星拖到聊天程序的昵称框上");
  }
  EXPECT_EQ(seen[2].caption, "没有歌词");
  EXPECT_EQ(seen[2].text, "请先选择歌词LRC！");
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(Period(), 0);
  EXPECT_EQ(InputCount(target.Take()), 0);
}

// The hot keys read the keyboard through a stand-in the test holds keys down in.
class HotKeys : public Playback {
 protected:
  void SetUp() override {
    Playback::SetUp();
    TestedProgram().features.hotKeys.ReadKeysWith([this](int key) { return held.count(key) > 0; });
  }
  void TearDown() override { TestedProgram().features.hotKeys.ReadKeysWith(nullptr); }
  std::set<int> held;
};

// A hot key's action waits while Ctrl and Alt are still down, so that the target reads
// what it posts with no modifier; it acts once they are up, or after a second at most.
TEST_F(HotKeys, ActOnceTheModifiersAreUp) {
  M<MainCtl::选择框1>().SetChecked(true);
  Load("[00:00.10]one\r\n[00:20.00]two\r\n[00:40.00]three\r\n");
  held = {VK_CONTROL, VK_MENU};
  Press(MainCtl::热键_播放停止);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Caption(), kIdle) << "started with the modifiers down";
  held.clear();
  PumpUntil([&] { return Caption() == kPlaying; }, 200);
  PumpUntil([&] { return !Texts().empty(); }, 2000);
  ASSERT_EQ(received, (Strings{"one"}));

  // Two presses while the keys are held: both act, in order, once they are let go.
  held = {VK_CONTROL, VK_MENU, VK_SHIFT};
  Press(MainCtl::热键_下一句);
  Press(MainCtl::热键_下一句);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Texts(), (Strings{"one"}));
  held = {VK_LWIN};
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Texts(), (Strings{"one"}));
  held.clear();
  PumpUntil([&] { return Texts().size() >= 3; }, 500);
  EXPECT_EQ(received, (Strings{"one", "two", "three"}));
  EXPECT_EQ(Caption(), kPlaying);  // three, the last line, stands for its hold time
  Press(MainCtl::热键_播放停止);      // the singer's stop: the nickname back at once
  PumpUntil([&] { return Texts().size() >= 4; }, 500);
  EXPECT_EQ(received, (Strings{"one", "two", "three", "nick"}));
  EXPECT_EQ(Caption(), kIdle);

  // Keys that never come up: the stop acts after the longest wait all the same.
  Load("[00:00.10]one\r\n[00:20.00]two\r\n");
  received.clear();
  Press(MainCtl::热键_播放停止);
  PumpUntil([&] { return !Texts().empty(); }, 2000);
  held = {VK_CONTROL};
  const DWORD pressed = GetTickCount();
  Press(MainCtl::热键_播放停止);
  PumpUntil([&] { return Caption() == kIdle; }, 3000);
  const DWORD waited = GetTickCount() - pressed;
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_GE(waited + 50, kModifierWaitMs);
  EXPECT_EQ(Texts(), (Strings{"one", "nick"}));
}

// During a pick nothing is written: the lines that fall due are held, and at the pick's
// end the line due then is written once, none of the held ones before it. A hot key
// waits for the end too.
TEST_F(HotKeys, APickHoldsLinesAndKeysAndItsEndWritesTheLineOfTheMoment) {
  Load("[00:00.10]one\r\n[00:00.30]two\r\n[00:00.50]three\r\n[00:00.70]four\r\n[00:20.00]five\r\n");
  Player().OnPlayButton();
  PumpUntil([&] { return !Texts().empty(); }, 2000);
  ASSERT_EQ(received, (Strings{"one"}));
  Player().Target().SetPickUnderWay(true);
  PumpUntil([] { return false; }, 900);  // two, three and four fall due
  EXPECT_EQ(Texts(), (Strings{"one"}));
  Player().Target().SetPickUnderWay(false);  // the pick's end, as the picker ends it
  Player().OnPickEnded();
  PumpUntil([&] { return Texts().size() >= 2; }, 200);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Texts(), (Strings{"one", "four"}));

  Player().Target().SetPickUnderWay(true);
  Press(MainCtl::热键_播放停止);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Caption(), kPlaying) << "the stop waits for the pick's end";
  Player().Target().SetPickUnderWay(false);
  EXPECT_TRUE(PumpUntil([] { return Caption() == kIdle; }, 500));
}

// With nothing chosen a hot key cannot act: it says so in the title bar, never in a box,
// however often it is pressed; while a box is up, hot keys are ignored.
TEST_F(HotKeys, NeverOpenABox) {
  const std::string plain = Title();
  Load("[00:00.10]one\r\n[00:20.00]two\r\n");
  Player().Target().Clear();
  Press(MainCtl::热键_播放停止, 5);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(boxes.All().size(), 0u);
  EXPECT_EQ(Title(), "[请把左上角的准星拖到聊天程序的昵称框上] " + plain);
  EXPECT_EQ(Caption(), kIdle);
  PumpUntil([&] { return Title() == plain; }, kHotKeyNoticeMs + 1000);
  EXPECT_EQ(Title(), plain);

  Player().Target().Set(target.Handle());
  const HWND main = ui::WindowHandle(WindowKind::Main);
  for (int i = 0; i < 3; ++i)
    PostMessageW(main, WM_HOTKEY, ui_internal::kControlIdBase + static_cast<int>(MainCtl::热键_播放停止), 0);
  ui::ShowMessageBox("a box", "信息：", MB_OK);  // its own loop takes the presses
  PumpOwnQueue();
  EXPECT_EQ(Caption(), kIdle);
  EXPECT_EQ(InputCount(target.Take()), 0);
}

// A music player of the test's own: it plays track from startMs on playback's clock.
class ScriptedPlayer : public PlayerSource {
 public:
  PlayerReading Read(int64_t nowMs) override {
    PlayerReading reading;
    reading.state = PlayerState::Playing;
    reading.track = track;
    reading.takenMs = nowMs;
    reading.positionMs = nowMs - startMs;
    return reading;
  }
  PlayerTrack track;
  int64_t startMs = 0;
};

std::string MainTitle() {
  wchar_t text[256] = {};
  GetWindowTextW(ui::WindowHandle(WindowKind::Main), text, 256);
  return enc::Narrow(text);
}

// Following a player whose track no lyric file of the folder names: the lyric chosen
// before the press is followed for that track; the next track, which has none, writes
// nothing, says so and writes the nickname back, which the stop then leaves alone.
TEST_F(Playback, FollowsTheChosenLyricWhenNoFileNamesTheTrack) {
  M<MainCtl::选择框1>().SetChecked(true);
  auto owned = std::make_unique<ScriptedPlayer>();
  ScriptedPlayer& player = *owned;
  Player().UsePlayerSource(std::move(owned));
  Load("[00:00.10]one\r\n[00:00.40]two\r\n[00:00.40]二\r\n");
  player.track = {"Someone", "Odd Track"};
  player.startMs = PlaybackNowMs();
  M<MainCtl::选择框2>().SetChecked(true);
  Player().OnPlayButton();
  EXPECT_TRUE(Player().Following());
  EXPECT_EQ(Caption(), kPlaying);
  PumpUntil([&] { return Texts().size() >= 2; }, 3000);
  EXPECT_EQ(Texts(), (Strings{"one", "two / 二"}));

  player.track = {"", "Silent"};
  player.startMs = PlaybackNowMs();
  const std::string title(ui::LayoutTitle(WindowKind::Main));
  PumpUntil([&] { return MainTitle() != title; }, 3000);
  EXPECT_EQ(MainTitle(), "[没有找到《Silent》的歌词] " + title);
  PumpFor(300);
  EXPECT_EQ(Texts(), (Strings{"one", "two / 二", "nick"}));  // the nickname back, no line

  Player().OnPlayButton();
  EXPECT_FALSE(Player().Playing());
  EXPECT_EQ(MainTitle(), title);
  PumpFor(100);
  EXPECT_EQ(Texts(), (Strings{"one", "two / 二", "nick"}));  // it stands in the field already
  M<MainCtl::选择框2>().SetChecked(false);
  Player().UsePlayerSource(std::make_unique<ClassicPlayerSource>());
}

// Following, a pick under way holds the lines as a timed run does: at its end the line
// of the moment goes out once, none of those that fell due meanwhile.
TEST_F(Playback, FollowingHoldsLinesDuringAPickAndWritesTheLineOfTheMomentAtItsEnd) {
  auto owned = std::make_unique<ScriptedPlayer>();
  ScriptedPlayer& player = *owned;
  Player().UsePlayerSource(std::move(owned));
  Load("[00:00.10]one\r\n[00:00.30]two\r\n[00:00.50]three\r\n[00:00.70]four\r\n[00:20.00]five\r\n");
  player.track = {"", "Odd Track"};
  player.startMs = PlaybackNowMs();
  M<MainCtl::选择框2>().SetChecked(true);
  Player().OnPlayButton();
  PumpUntil([&] { return !Texts().empty(); }, 2000);
  ASSERT_EQ(Texts(), (Strings{"one"}));
  Player().Target().SetPickUnderWay(true);
  PumpUntil([] { return false; }, 900);  // two, three and four fall due
  EXPECT_EQ(Texts(), (Strings{"one"}));
  Player().Target().SetPickUnderWay(false);  // the pick's end, as the picker ends it
  Player().OnPickEnded();
  PumpUntil([&] { return Texts().size() >= 2; }, 200);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Texts(), (Strings{"one", "four"}));
  Player().OnPlayButton();
  EXPECT_FALSE(Player().Playing());
  M<MainCtl::选择框2>().SetChecked(false);
  Player().UsePlayerSource(std::make_unique<ClassicPlayerSource>());
}

}  // namespace
