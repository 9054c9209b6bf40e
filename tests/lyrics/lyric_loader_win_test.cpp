// Choosing a file in the lyric file list fills the lyric table from the real file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/features.h"
#include "build_settings.h"
#include "layout/program_windows.h"
#include "lyrics/lyric_loader_win.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"
#include "text/encoding.h"
#include "win/file_bytes.h"
#include "win/owners.h"

namespace {

// What an empty lyric line reads: the build's maker address and "-提供字幕".
const char kCredit[] = RAVO_MAKER_ADDRESS "-提供字幕";

// The feature objects under test: this file's own, kept for the whole run.
Program& TestedProgram() {
  static Program program;
  return program;
}
::Playback& Player() { return TestedProgram().features.playback; }
const LyricTimeline& Timeline() { return Player().Timeline(); }

struct Row {
  std::string time;
  std::string text;
  intptr_t data;
  bool operator==(const Row& o) const { return time == o.time && text == o.text && data == o.data; }
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.time << ", " << r.text << ", " << r.data << "}";
}

std::vector<Row> TableRows() {
  const auto table = M<MainCtl::超级列表框_歌词>();
  std::vector<Row> rows;
  for (int i = 0; i < table.RowCount(); ++i) rows.push_back({table.Cell(i, 0), table.Cell(i, 1), table.RowData(i)});
  return rows;
}

void Choose(const TempFolder& dir, const std::string& name) {
  const auto files = M<MainCtl::文件框1>();
  files.SetFolder(dir.Path());
  const std::vector<std::string> entries = files.Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == name) files.SetSelectedEntry(static_cast<int>(i));
  ASSERT_EQ(files.SelectedEntry(), name);
  Player().OnLyricFileChosen(ChosenLyricFileEvent());
}

class LyricLoader : public ::testing::Test {
 protected:
  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture window;
  MessageBoxWatcher boxes;
  TempFolder dir;
};

TEST_F(LyricLoader, FillsTheTableInTimeOrderWithHiddenTimesAndCreditText) {
  dir.Write("song.lrc",
            "[ti:Song]\r\n"
            "[00:20.00]second line\r\n"
            "[00:12.34]first line\r\n"
            "[00:30.5]\r\n"
            "[01:02]中文行\r\n");
  Choose(dir, "song.lrc");

  const std::vector<Row> want = {
      {"12340", "first line", 1},
      {"20000", "second line", 2},
      {"30500", kCredit, 3},
      {"62000", "中文行", 4},
  };
  EXPECT_EQ(TableRows(), want);
  EXPECT_EQ(Timeline().count, 4);
  EXPECT_EQ(Timeline().Text(2), kCredit);  // the timeline carries the credit too
  EXPECT_EQ(Timeline().title, "Song");
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "song.lrc");
  EXPECT_EQ(M<MainCtl::超级列表框_歌词>().SelectedRow(), -1);
  EXPECT_TRUE(boxes.All().empty());
}

TEST_F(LyricLoader, ChoosingAgainRebuildsFromTheFileOnDisk) {
  dir.Write("a.lrc", "[00:01.00]one\r\n[00:02.00]two\r\n");
  Choose(dir, "a.lrc");
  EXPECT_EQ(TableRows().size(), 2u);
  dir.Write("a.lrc", "[00:05.00]changed\r\n");
  Choose(dir, "a.lrc");
  const std::vector<Row> want = {{"5000", "changed", 1}};
  EXPECT_EQ(TableRows(), want);
}

TEST_F(LyricLoader, ByteOrderMarkedFilesKeepEveryCharacter) {
  // "[00:01.00]中文\r\n" in UTF-16 LE and BE, and in UTF-8 with a byte-order mark.
  const std::wstring line = L"[00:01.00]\x4E2D\x6587\r\n[00:02.00]\x00E9\x263A\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (wchar_t c : line) {
    le += static_cast<char>(c & 0xFF);
    le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8);
    be += static_cast<char>(c & 0xFF);
  }
  dir.Write("le.lrc", le);
  dir.Write("be.lrc", be);
  dir.Write("u8.lrc", "\xEF\xBB\xBF[00:01.00]\xE4\xB8\xAD\xE6\x96\x87\r\n[00:02.00]\xC3\xA9\xE2\x98\xBA\r\n");
  for (const char* name : {"le.lrc", "be.lrc", "u8.lrc"}) {
    SCOPED_TRACE(name);
    Choose(dir, name);
    const std::vector<Row> rows = TableRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "中文");
    EXPECT_EQ(rows[0].time, "1000");
    // Nothing is squeezed through a narrower code page: the smiley stays.
    EXPECT_EQ(rows[1].text, "é☺");
  }
}

TEST_F(LyricLoader, AnyLineEndAndUtf8WithoutMarkGiveOneRowPerTag) {
  // One song saved as Linux, old Mac and today's editors save it; a blank line between
  // verses leaves no line break in the next row.
  const std::string song = "[ti:x]|[00:01.00]月亮走|[00:02.00]我也走||[00:03.50][00:04.00]河水弯弯|";
  auto withEnds = [&](const std::string& end) {
    std::string s = song;
    for (size_t at; (at = s.find('|')) != std::string::npos;) s.replace(at, 1, end);
    return s;
  };
  dir.Write("lf.lrc", withEnds("\n"));
  dir.Write("cr.lrc", withEnds("\r"));
  dir.Write("crlf.lrc", withEnds("\r\n"));
  // The same in UTF-8 without a byte-order mark, LF line ends.
  dir.Write("u8.lrc",
            "[ti:x]\n[00:01.00]\xE6\x9C\x88\xE4\xBA\xAE\xE8\xB5\xB0\n[00:02.00]\xE6\x88\x91\xE4\xB9\x9F\xE8\xB5\xB0"
            "\n\n[00:03.50][00:04.00]\xE6\xB2\xB3\xE6\xB0\xB4\xE5\xBC\xAF\xE5\xBC\xAF\n");
  const std::vector<Row> want = {
      {"1000", "月亮走", 1}, {"2000", "我也走", 2}, {"3500", "河水弯弯", 3}, {"4000", "河水弯弯", 4}};
  for (const char* name : {"lf.lrc", "cr.lrc", "crlf.lrc", "u8.lrc"}) {
    SCOPED_TRACE(name);
    Choose(dir, name);
    EXPECT_EQ(TableRows(), want);
  }
}

TEST_F(LyricLoader, LargeLyricShowsEveryRowAndOversizedFileNone) {
  std::string big;
  for (int i = 0; i < 50000; ++i) big += "[" + std::to_string(i / 600) + ":" + std::to_string(i / 10 % 60) + "." +
                                         std::to_string(i % 10) + "0]line " + std::to_string(i) + "\n";
  dir.Write("big.lrc", big);
  Choose(dir, "big.lrc");
  const auto table = M<MainCtl::超级列表框_歌词>();
  ASSERT_EQ(table.RowCount(), 50000);
  EXPECT_EQ(table.Cell(49999, 1), "line 49999");
  EXPECT_EQ(table.Cell(49999, 0), "4999900");
  EXPECT_EQ(table.RowData(49999), 50000);
  EXPECT_EQ(table.RowData(50000), 0);

  // Over 16 MB is no lyric: not loaded, and the user is told why.
  std::string huge = "[00:01.00]x\r\n";
  huge.resize((16u << 20) + 1, ' ');
  dir.Write("huge.lrc", huge);
  Choose(dir, "huge.lrc");
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_EQ(Timeline().count, 0);
  const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, "无法读取歌词文件“huge.lrc”：\r\n文件超过 16 MB，不是歌词文件。");
}

TEST_F(LyricLoader, PlainFilesAreTakenAsTheyAreAndCutAtTheirFirstZeroByte) {
  static const char kBytes[] = "[00:01.00]kept\r\n[00:02.00]also\0[00:03.00]cut\r\n";
  dir.Write("zero.lrc", std::string(kBytes, sizeof(kBytes) - 1));
  Choose(dir, "zero.lrc");
  const std::vector<Row> want = {{"1000", "kept", 1}, {"2000", "also", 2}};
  EXPECT_EQ(TableRows(), want);
}

TEST_F(LyricLoader, TaglessFileGivesAnEmptyTableAndAMissingOneSaysWhy) {
  dir.Write("a.lrc", "[00:01.00]one\r\n");
  dir.Write("notags.lrc", "just words\r\nno tags\r\n");
  Choose(dir, "a.lrc");
  ASSERT_EQ(TableRows().size(), 1u);

  Choose(dir, "notags.lrc");
  EXPECT_TRUE(TableRows().empty());
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "notags.lrc");

  Choose(dir, "a.lrc");
  ASSERT_EQ(TableRows().size(), 1u);
  DeleteFileA((dir.Path() + "\\a.lrc").c_str());  // gone between listing and choosing
  Player().OnLyricFileChosen(ChosenLyricFileEvent());
  EXPECT_TRUE(TableRows().empty());
  EXPECT_EQ(Timeline().count, 0);
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "a.lrc");
  const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text.rfind("无法读取歌词文件“a.lrc”：\r\n", 0), 0u) << seen[0].text;
  EXPECT_GT(seen[0].text.size(), std::string("无法读取歌词文件“a.lrc”：\r\n").size());  // and the system's why
}

// Names as the folder holds them: a name ending in a dot or a space, and a file in a
// folder deeper than MAX_PATH, open their own files.
TEST_F(LyricLoader, NamesEndingInADotOrASpaceAndDeepFoldersOpenTheirOwnFiles) {
  std::wstring deep = L"\\\\?\\" + enc::Wide(dir.Path());
  for (int i = 0; deep.size() < 300; ++i) {
    deep += L"\\folder_of_some_depth_" + std::to_wstring(i);
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  const std::string deepFolder = enc::Narrow(deep.substr(4));
  struct Case {
    std::string folder;
    std::string name;
  };
  const Case cases[] = {{dir.Path(), "ends in a dot."}, {dir.Path(), "ends in a space "}, {deepFolder, "deep.lrc"},
                        {deepFolder, "deep and a dot.lrc."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = L"\\\\?\\" + enc::Wide(c.folder + "\\" + c.name);
    {
      UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      ASSERT_TRUE(file);
      DWORD wrote = 0;
      const std::string lrc = "[00:01.00]" + c.name + "\r\n";
      WriteFile(file.Get(), lrc.data(), static_cast<DWORD>(lrc.size()), &wrote, nullptr);
    }
    EXPECT_EQ(ReadFileBytes(c.folder + "\\" + c.name), "[00:01.00]" + c.name + "\r\n");
    if (c.name == "deep.lrc") {  // listed and chosen in the file list
      const auto files = M<MainCtl::文件框1>();
      files.SetFolder(c.folder);
      ASSERT_EQ(files.Entries(), std::vector<std::string>{"deep.lrc"});
      files.SetSelectedEntry(0);
      Player().OnLyricFileChosen(ChosenLyricFileEvent());
      EXPECT_EQ(TableRows(), (std::vector<Row>{{"1000", c.name, 1}}));
    }
    DeleteFileW(path.c_str());
  }
  EXPECT_TRUE(boxes.All().empty());
  for (; deep.size() > 4 + dir.Path().size(); deep.erase(deep.find_last_of(L'\\'))) RemoveDirectoryW(deep.c_str());
}

TEST_F(LyricLoader, WhilePlayingAChoiceHaltsInsteadOfLoading) {
  dir.Write("a.lrc", "[00:01.00]one\r\n");
  dir.Write("b.lrc", "[00:01.00]b1\r\n[00:02.00]b2\r\n");
  Choose(dir, "a.lrc");
  M<MainCtl::选择框1>().SetChecked(false);
  Recorder target;  // the test ends before a line is due
  Player().Target().Set(target.Handle());
  Player().OnPlayButton();
  ASSERT_TRUE(Player().Playing());
  ASSERT_EQ(Player().Cursor(), 1);
  Choose(dir, "b.lrc");
  EXPECT_FALSE(Player().Playing());
  EXPECT_EQ(TableRows().size(), 1u);  // b.lrc was not loaded
  EXPECT_EQ(TableRows()[0].text, "one");
  EXPECT_EQ(Player().Cursor(), 1);
  Choose(dir, "b.lrc");  // idle now: loaded from its start
  EXPECT_EQ(TableRows().size(), 2u);
  EXPECT_EQ(Player().Cursor(), 0);
}

TEST_F(LyricLoader, BothListEventsLoadTheChosenFile) {
  dir.Write("x.lrc", "[00:03.00]three\r\n");
  const auto files = M<MainCtl::文件框1>();
  files.SetFolder(dir.Path());
  files.SetSelectedEntry(0);
  HWND list = files.Handle();
  HWND parent = GetParent(list);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  ASSERT_EQ(TableRows().size(), 1u);
  M<MainCtl::超级列表框_歌词>().DeleteAllRows();
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(TableRows().size(), 1u);
}

}  // namespace
