// The lyrics folder: "更新本地歌词" points the file list at the folder typed into 编辑框1,
// and "导入目录" asks for a folder with the shell's dialog, driven here with real input.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "layout/program_windows.h"
#include "lyrics/lyrics_folder_win.h"
#include "support/child_process.h"
#include "support/win_test_support.h"

namespace {

using Names = std::vector<std::string>;

class LyricsFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.Handle());
    lyrics.Write("b.lrc", "[00:01.00]b");
    lyrics.Write("A.LRC", "[00:01.00]a");
    lyrics.Write("c.txt", "not a lyric");
    lyrics.Write("d.lrc.bak", "not a lyric either");
    CreateDirectoryA((lyrics.Path() + "\\sub.lrc").c_str(), nullptr);
    other.Write("other.lrc", "[00:01.00]o");
  }
  void TearDown() override { RemoveDirectoryA((lyrics.Path() + "\\sub.lrc").c_str()); }

  MainWindowFixture window;
  TempFolder lyrics;
  TempFolder other;
};

TEST_F(LyricsFolder, RefreshListsTheLrcFilesOfTheTypedFolder) {
  const std::string cwd = CurrentFolder();
  struct Case {
    const char* what;
    std::string typed;
    std::string listFolder;
    Names entries;
  };
  const Case cases[] = {
      {"a folder", lyrics.Path(), lyrics.Path(), {"A.LRC", "b.lrc"}},
      {"a trailing backslash", lyrics.Path() + "\\", lyrics.Path() + "\\", {"A.LRC", "b.lrc"}},
      {"another folder", other.Path(), other.Path(), {"other.lrc"}},
      {"a missing folder", lyrics.Path() + "\\missing", lyrics.Path() + "\\missing", {}},
      {"a file instead of a folder", lyrics.Path() + "\\b.lrc", lyrics.Path() + "\\b.lrc", {}},
      {"empty: the current folder", "", cwd, {}},
  };
  for (const Case& c : cases) {
    M<MainCtl::编辑框1>().SetText(c.typed);
    RefreshLyricFileList();
    EXPECT_EQ(M<MainCtl::编辑框1>().Text(), c.typed) << c.what;
    EXPECT_EQ(M<MainCtl::文件框1>().Folder(), c.listFolder) << c.what;
    if (c.typed.empty()) continue;  // what the current folder holds is not ours
    EXPECT_EQ(M<MainCtl::文件框1>().Entries(), c.entries) << c.what;
  }
}

TEST_F(LyricsFolder, TypingAloneChangesNothingUntilRefreshed) {
  M<MainCtl::编辑框1>().SetText(lyrics.Path());
  RefreshLyricFileList();
  M<MainCtl::编辑框1>().SetText(other.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Entries(), (Names{"A.LRC", "b.lrc"}));
  RefreshLyricFileList();
  EXPECT_EQ(M<MainCtl::文件框1>().Entries(), Names{"other.lrc"});
}

TEST_F(LyricsFolder, AChosenFolderGoesToTheListAndTheBoxAndAnEmptyOneChangesNothing) {
  M<MainCtl::编辑框1>().SetText(other.Path());
  RefreshLyricFileList();
  UseLyricsFolder("");
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), other.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), other.Path());

  UseLyricsFolder(lyrics.Path());
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), lyrics.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), lyrics.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Entries(), (Names{"A.LRC", "b.lrc"}));
}

// ---- the folder dialog itself ----

constexpr char kDialogTitle[] = "选择歌词目录";

// The child of a window whose text is the dialog's title (lp: HWND* to fill).
BOOL CALLBACK FindTitleChild(HWND child, LPARAM lp) {
  if (WindowText(child) != kDialogTitle) return TRUE;
  *reinterpret_cast<HWND*>(lp) = child;
  return FALSE;
}

HWND TitleChild(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(dialog, FindTitleChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A visible dialog of this process that shows the title, looked for during 6 s.
HWND WaitForFolderDialog() {
  return WaitForProcessWindow(
      GetCurrentProcessId(),
      [](HWND h) { return WindowClass(h) == "#32770" && IsWindowVisible(h) && TitleChild(h); }, 6000);
}

// Starts a Linux xdotool command line through Wine; false when it cannot be started.
// Wine gives no handle to wait for a Linux program with: what follows waits for the
// dialog itself.
bool RunXdotool(const std::string& args) {
  if (GetFileAttributesA("Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES || !getenv("DISPLAY")) return false;
  return ChildProcess::StartDetached("Z:\\usr\\bin\\xdotool " + args);
}

// Whether the dialog's tree shows the last name of the path as selected.
bool Selected(HWND dialog, const std::string& path) {
  HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
  HTREEITEM item = tree ? TreeView_GetSelection(tree) : nullptr;
  if (!item) return false;
  char text[MAX_PATH] = {};
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof(text);
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return false;
  return path.substr(path.find_last_of('\\') + 1) == text;
}

enum class Answer { Cancel, Accept };

// Waits for the folder dialog on another thread, optionally selects a path in it, and
// answers it the way a user does: a click on the dialog's caption text, then Escape or
// Return as real key presses. Without xdotool the dialog gets the button's command.
class DialogDriver {
 public:
  DialogDriver(Answer answer, std::string select) : answer_(answer), select_(std::move(select)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~DialogDriver() { thread_.join(); }
  bool Seen() const { return seen_; }
  bool ByRealKeys() const { return byKeys_; }

 private:
  void Run() {
    const HWND dialog = WaitForFolderDialog();
    if (!dialog) return;
    seen_ = true;
    HWND caption = TitleChild(dialog);
    RECT r = {};
    GetWindowRect(caption ? caption : dialog, &r);
    char click[96];
    std::snprintf(click, sizeof(click), "mousemove %ld %ld click 1 sleep 0.3", r.left + 4, r.top + 4);
    byKeys_ = RunXdotool(click);
    // Chosen after the click, so that a click that lands on the tree on a slow machine
    // cannot move the selection before the key.
    for (int i = 0; i < 20 && !select_.empty() && !Selected(dialog, select_); ++i) {
      SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(select_.c_str()));
      Sleep(100);
    }
    if (byKeys_) byKeys_ = RunXdotool(answer_ == Answer::Cancel ? "key Escape" : "key Return");
    for (int i = 0; i < 250 && byKeys_ && IsWindow(dialog); ++i) Sleep(20);
    if (IsWindow(dialog)) {
      byKeys_ = false;
      PostMessageA(dialog, WM_COMMAND, answer_ == Answer::Cancel ? IDCANCEL : IDOK, 0);
    }
  }
  Answer answer_;
  std::string select_;
  std::atomic<bool> seen_{false};
  std::atomic<bool> byKeys_{false};
  std::thread thread_;
};

TEST_F(LyricsFolder, CancellingTheDialogChangesNothing) {
  M<MainCtl::编辑框1>().SetText(other.Path());
  RefreshLyricFileList();
  {
    DialogDriver driver(Answer::Cancel, lyrics.Path());
    ChooseLyricsFolder();
    PumpFor(100);
    ASSERT_TRUE(driver.Seen()) << "no dialog titled 选择歌词目录";
    std::printf("  dialog cancelled by %s\n", driver.ByRealKeys() ? "a click and Escape (xdotool)" : "IDCANCEL");
  }
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), other.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), other.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Entries(), Names{"other.lrc"});
}

TEST_F(LyricsFolder, AcceptingTheDialogUsesTheChosenFolderOrFile) {
  struct Case {
    const char* what;
    std::string chosen;
    Names entries;
  };
  const Case cases[] = {
      {"a folder", lyrics.Path(), {"A.LRC", "b.lrc"}},
      {"a file, since files are shown too", other.Path() + "\\other.lrc", {}},
  };
  for (const Case& c : cases) {
    M<MainCtl::编辑框1>().SetText(other.Path());
    RefreshLyricFileList();
    {
      DialogDriver driver(Answer::Accept, c.chosen);
      ChooseLyricsFolder();
      PumpFor(100);
      ASSERT_TRUE(driver.Seen()) << c.what;
      std::printf("  %s accepted by %s\n", c.what, driver.ByRealKeys() ? "a click and Return (xdotool)" : "IDOK");
    }
    EXPECT_EQ(M<MainCtl::编辑框1>().Text(), c.chosen) << c.what;
    EXPECT_EQ(M<MainCtl::文件框1>().Folder(), c.chosen) << c.what;
    EXPECT_EQ(M<MainCtl::文件框1>().Entries(), c.entries) << c.what;
  }
}

}  // namespace
