// The online lyric search with the real main window against the stand-in lyrics site:
// the request that goes out, the result list, preview and download.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/features.h"
#include "layout/program_windows.h"
#include "text/encoding.h"
#include "lyrics/lyric_table.h"
#include "search/lyric_save_win.h"
#include "support/lyrics_site.h"
#include "support/win_test_support.h"
#include "win/file_bytes.h"
#include "win/owners.h"
#include "win/program.h"

namespace {

const char kNoHitText[] = "搜索失败！没有相关歌词,查看歌名是否正确！";

const std::string kLyricText =
    "[ti:山间小路]\r\n[ar:林木]\r\n[00:04.50]石阶一级一级往上爬\r\n[00:09.00]松针落在旧布鞋上\r\n";
// The lyric as the site serves it, in GBK: saved byte for byte, shown decoded.
const std::string kGbkLyric = enc::EncodeCodePage(kLyricText, enc::kGbk);
const std::string kUtf16Lyric = std::string("\xFF\xFE", 2) + [] {
  std::string bytes;
  for (char16_t u : enc::Utf8ToUtf16("[00:01.00]河水在桥下歌唱\r\n[00:02.00]The river sings\r\n")) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}();
const std::string kUtf8Lyric = "\xef\xbb\xbf[00:01.00]\xe4\xb8\xad\r\n[00:02.00]\xe6\x96\x87 line\r\n";

struct Row {
  std::string song;
  std::string singer;
  bool operator==(const Row& o) const { return song == o.song && singer == o.singer; }
};
void PrintTo(const Row& r, std::ostream* os) { *os << "{" << r.song << " | " << r.singer << "}"; }

std::vector<Row> ResultRows() {
  const auto list = M<MainCtl::欲下载列表>();
  std::vector<Row> rows;
  for (int i = 0; i < list.RowCount(); ++i) rows.push_back({list.Cell(i, 0), list.Cell(i, 1)});
  return rows;
}

std::vector<Row> PreviewRows() {
  const auto list = M<MainCtl::歌词预览>();
  std::vector<Row> rows;
  for (int i = 0; i < list.RowCount(); ++i) rows.push_back({list.Cell(i, 0), list.Cell(i, 1)});
  return rows;
}

// The feature objects under test: this file's own, kept for the whole run.
Program& TestedProgram() {
  static Program program;
  return program;
}
LyricSearch& TheSearch() { return TestedProgram().features.lyricSearch; }

// Dispatches this thread's messages until every fetch the search started has landed.
void WaitForFetches() {
  ASSERT_TRUE(PumpUntil([] { return TheSearch().FetchesUnderWay() == 0; }, 30000)) << "a fetch never landed";
}

// Selects and focuses a row the way a click does, so that the list view raises its
// notification and the event table runs the preview; returns when the preview has landed.
void ClickRow(int row) {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(M<MainCtl::欲下载列表>().Handle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  WaitForFetches();
}

// A double click on the selected row, through its handler; returns when the save has landed.
void Download() {
  TheSearch().DownloadSelectedLyric(RowEvent(M<MainCtl::欲下载列表>().SelectedRow()));
  WaitForFetches();
}

bool Exists(const std::string& path) { return FileExists(path); }

int ThreadsOfThisProcess() {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  return count;
}

// Files the downloads write into the program's folder, removed before and after a test.
class ProgramFolderFiles {
 public:
  explicit ProgramFolderFiles(std::vector<std::string> names) : names_(std::move(names)) { Remove(); }
  ~ProgramFolderFiles() { Remove(); }
  static std::string Path(const std::string& name) { return ui::ProgramFolder() + "\\" + name; }

 private:
  void Remove() const {
    for (const std::string& n : names_) DeleteFileW(enc::Wide(Path(n)).c_str());
  }
  std::vector<std::string> names_;
};

class LyricSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.Handle());
    TheSearch().siteHost = site.Host();
  }
  void TearDown() override {
    WaitForFetches();
    TheSearch().siteHost = savedHost;
  }
  size_t RequestCount() const { return site.Requests().size(); }
  void Search(const std::string& keyword) {
    M<MainCtl::欲搜索内容>().SetText(keyword);
    TheSearch().OnSearchButton();
    WaitForFetches();
  }

  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture window;
  MessageBoxWatcher boxes;
  SiteCatalogue catalogue;
  LyricsSite site{&catalogue};
  const std::string savedHost = TheSearch().siteHost;
};

TEST_F(LyricSearch, SendsTheKeywordAsEscapedUtf8InAnHttp10Get) {
  // One title that holds every keyword below, so that each search also shows that the
  // site read back the keyword the tool meant.
  catalogue.Add("all.lrc", "歌手", "中a b+c*,-./@_月光 Hé", kGbkLyric);
  struct Case {
    std::string keyword;
    std::string requestLine;
  };
  const Case cases[] = {
      {"中", "GET /?keyword=%E4%B8%AD&field=all HTTP/1.0"},
      {"a b+c", "GET /?keyword=a%20b%2Bc&field=all HTTP/1.0"},
      {"*,-./@_", "GET /?keyword=*,-./@_&field=all HTTP/1.0"},
      {"月光 Hé", "GET /?keyword=%E6%9C%88%E5%85%89%20H%C3%A9&field=all HTTP/1.0"},
      {"", "GET /?keyword=&field=all HTTP/1.0"},
  };
  for (const Case& c : cases) {
    const size_t before = RequestCount();
    Search(c.keyword);
    const std::vector<std::vector<std::string>> requests = site.Requests();
    ASSERT_EQ(requests.size(), before + 1) << c.keyword;
    const std::vector<std::string>& lines = requests.back();
    EXPECT_EQ(lines[0], c.requestLine);
    int accepts = 0;
    bool agent = false;
    for (const std::string& line : lines) {
      if (line.rfind("Accept:", 0) == 0) {
        ++accepts;
        EXPECT_EQ(line, "Accept: */*");
      }
      agent = agent || line == "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
    }
    EXPECT_EQ(accepts, 1) << c.keyword;
    EXPECT_TRUE(agent) << c.keyword;
    EXPECT_EQ(ResultRows(), (std::vector<Row>{{"中a", "歌手"}})) << c.keyword;
  }
  EXPECT_TRUE(boxes.All().empty());
}

TEST_F(LyricSearch, FillsTheListAndLinksAndASecondSearchReplacesThem) {
  catalogue.Add("a.lrc", "江水", "月光河", kGbkLyric);
  catalogue.Add("b.lrc", "小舟", "月光河", kGbkLyric);
  catalogue.AddLink("Nora", "Moonlight", "{base}/lrc/b.lrc");
  catalogue.Add("c.lrc", "林木", "山间小路", kGbkLyric);
  Search("月光");
  EXPECT_EQ(ResultRows(), (std::vector<Row>{{"月光河", "江水"}, {"月光河", "小舟"}}));
  EXPECT_EQ(TheSearch().ResultLinks(), (std::vector<std::string>{site.Base() + "/lrc/a.lrc", site.Base() + "/lrc/b.lrc"}));

  Search("o");
  EXPECT_EQ(ResultRows(), (std::vector<Row>{{"Moonlight", "Nora"}}));
  EXPECT_EQ(TheSearch().ResultLinks(), (std::vector<std::string>{site.Base() + "/lrc/b.lrc"}));
  EXPECT_TRUE(boxes.All().empty());
}

TEST_F(LyricSearch, NoHitKeepsThePreviousRowsAndSaysSo) {
  catalogue.Add("a.lrc", "江水", "月光河", kGbkLyric);
  Search("月光");
  const std::vector<Row> rows = ResultRows();
  const std::vector<std::string> links = TheSearch().ResultLinks();
  ASSERT_EQ(rows.size(), 1u);

  Search("没有这首歌");
  EXPECT_EQ(ResultRows(), rows);
  EXPECT_EQ(TheSearch().ResultLinks(), links);
  const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "信息：");
  EXPECT_EQ(seen[0].text, kNoHitText);
}

// A site that does not answer says why where the results would be, and the old preview
// goes; the failure row is no hit.
TEST_F(LyricSearch, ASiteThatIsDownSaysWhyInTheResults) {
  catalogue.Add("a.lrc", "江水", "月光河", kGbkLyric);
  const struct {
    std::string host;
    std::string row;
  } cases[] = {
      {"127.0.0.1:" + std::to_string(site.RefusedPort()), "搜索失败：网站拒绝了连接"},
      {"no-such-host.invalid", "搜索失败：找不到网站（域名无法解析）"},
  };
  for (const auto& c : cases) {
    TheSearch().siteHost = site.Host();
    Search("月光");
    ClickRow(0);
    ASSERT_EQ(ResultRows().size(), 1u);
    ASSERT_FALSE(PreviewRows().empty());
    TheSearch().siteHost = c.host;
    Search("月光");
    EXPECT_EQ(ResultRows(), (std::vector<Row>{{c.row, ""}})) << c.host;
    EXPECT_TRUE(TheSearch().ResultLinks().empty());
    EXPECT_TRUE(PreviewRows().empty());
    const size_t before = RequestCount();
    ClickRow(0);
    Download();
    EXPECT_EQ(RequestCount(), before);
  }
  EXPECT_TRUE(boxes.All().empty());
}

// A hostile result page (4 MB of the smallest hits) is read on the worker: a 20 ms timer
// of the GUI thread keeps ticking while the search runs.
LARGE_INTEGER g_lastTick, g_frequency;
double g_worstGapMs = 0;
void CALLBACK OnGuiTimer(HWND, UINT, UINT_PTR, DWORD) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  g_worstGapMs = std::max(g_worstGapMs, 1000.0 * static_cast<double>(now.QuadPart - g_lastTick.QuadPart) /
                                            static_cast<double>(g_frequency.QuadPart));
  g_lastTick = now;
}

TEST_F(LyricSearch, ACraftedResultPageNeverHoldsUpTheWindow) {
  QueryPerformanceFrequency(&g_frequency);
  QueryPerformanceCounter(&g_lastTick);
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, OnGuiTimer);
  ASSERT_NE(timer, 0u);
  PumpUntil([] { return false; }, 100);
  g_worstGapMs = 0;
  Search("crafted-4mb-page");
  PumpUntil([] { return false; }, 50);
  KillTimer(nullptr, timer);
  std::printf("crafted 4 MB result page: largest gap of a 20 ms GUI timer %.0f ms\n", g_worstGapMs);
  EXPECT_EQ(ResultRows().size(), 500u);
  EXPECT_LT(g_worstGapMs, 300.0);
}

// The window goes on while a fetch runs; a search or preview that lands after a newer
// one of its kind has started (here: failed late at a silent host) changes nothing.
TEST_F(LyricSearch, ASlowOldResultNeverReplacesANewerOne) {
  const std::string silent = "127.0.0.1:" + std::to_string(site.SilentPort());
  catalogue.AddLink("歌手", "慢歌", "http://" + silent + "/x.lrc");
  catalogue.Add("a.lrc", "江水", "月光河", "[00:01.00]first\r\n");
  TheSearch().siteHost = silent;
  TheSearch().OnSearchButton();
  TheSearch().siteHost = site.Host();
  TheSearch().OnSearchButton();
  ASSERT_TRUE(PumpUntil([] { return ResultRows().size() == 2; }, 10000));
  EXPECT_EQ(TheSearch().FetchesUnderWay(), 1);  // the window answered while the old search hung

  M<MainCtl::欲下载列表>().SetSelectedRow(0);
  TheSearch().PreviewSelectedLyric(RowEvent(M<MainCtl::欲下载列表>().SelectedRow()));
  M<MainCtl::欲下载列表>().SetSelectedRow(1);
  TheSearch().PreviewSelectedLyric(RowEvent(M<MainCtl::欲下载列表>().SelectedRow()));
  WaitForFetches();
  EXPECT_EQ(ResultRows(), (std::vector<Row>{{"慢歌", "歌手"}, {"月光河", "江水"}}));
  EXPECT_EQ(PreviewRows(), (std::vector<Row>{{"[00:01.00", "first"}}));
}

TEST_F(LyricSearch, ClickingARowPreviewsItsLyricAndRefreshesTheFileList) {
  catalogue.Add("a.lrc", "江水", "月光河", "[ti:x]\r\n[00:01.00]first\r\n");
  catalogue.Add("b.lrc", "林木", "山间小路", kGbkLyric);
  Search("");
  ASSERT_EQ(ResultRows().size(), 2u);
  TempFolder lyrics;
  M<MainCtl::编辑框1>().SetText(lyrics.Path());
  lyrics.Write("new.lrc", "[00:01.00]x\r\n");
  const size_t before = RequestCount();

  ClickRow(1);
  const std::vector<std::vector<std::string>> requests = site.Requests();
  ASSERT_EQ(requests.size(), before + 1);
  EXPECT_EQ(requests.back()[0], "GET /lrc/b.lrc HTTP/1.0");
  EXPECT_EQ(PreviewRows(), (std::vector<Row>{{"[00:04.50", "石阶一级一级往上爬"}, {"[00:09.00", "松针落在旧布鞋上"}}));
  EXPECT_EQ(TheSearch().FetchedLyricText(), kLyricText);
  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), lyrics.Path());
  EXPECT_EQ(M<MainCtl::文件框1>().Entries(), std::vector<std::string>{"new.lrc"});

  ClickRow(0);
  EXPECT_EQ(PreviewRows(), (std::vector<Row>{{"[00:01.00", "first"}}));
}

TEST_F(LyricSearch, FocusWithoutASelectedRowIsIgnored) {
  catalogue.Add("a.lrc", "江水", "月光河", kGbkLyric);
  Search("");
  ClickRow(0);
  const std::vector<Row> preview = PreviewRows();
  ASSERT_FALSE(preview.empty());
  const ProgramFolderFiles files({"月光河.lrc"});
  const size_t before = RequestCount();

  M<MainCtl::欲下载列表>().SetSelectedRow(-1);
  LVITEMA focusOnly = {};
  focusOnly.stateMask = LVIS_FOCUSED;
  focusOnly.state = LVIS_FOCUSED;
  SendMessageA(M<MainCtl::欲下载列表>().Handle(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focusOnly));
  Download();

  EXPECT_EQ(RequestCount(), before);
  EXPECT_EQ(PreviewRows(), preview);
  EXPECT_FALSE(Exists(ProgramFolderFiles::Path("月光河.lrc")));
}

TEST_F(LyricSearch, DownloadSavesTheExactBytesUnderTheSongTitleAndListsTheFile) {
  struct Case {
    const char* what;
    std::string song;
    std::string served;
    std::string saved;
  };
  const Case cases[] = {
      {"GBK", "测试甲", kGbkLyric, kGbkLyric},
      {"UTF-8 with a byte-order mark", "测试乙", kUtf8Lyric, kUtf8Lyric},
      {"UTF-16 with its zero bytes", "测试丁", kUtf16Lyric, kUtf16Lyric},
      {"a zero byte inside", "测试丙", std::string("[00:01.00]ab\0[00:02.00]cd\r\n", 26),
       std::string("[00:01.00]ab\0[00:02.00]cd\r\n", 26)},
  };
  const ProgramFolderFiles files({"测试甲.lrc", "测试乙.lrc", "测试丁.lrc", "测试丙.lrc"});
  M<MainCtl::编辑框1>().SetText(ui::ProgramFolder());
  for (size_t i = 0; i < std::size(cases); ++i)
    catalogue.Add("f" + std::to_string(i) + ".lrc", "歌手", cases[i].song, cases[i].served);
  Search("测试");
  ASSERT_EQ(ResultRows().size(), std::size(cases));

  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    M<MainCtl::欲下载列表>().SetSelectedRow(static_cast<int>(i));
    Download();
    EXPECT_EQ(ReadFileBytes(ProgramFolderFiles::Path(c.song + ".lrc")), c.saved) << c.what;
    const std::vector<std::string> entries = M<MainCtl::文件框1>().Entries();
    EXPECT_NE(std::find(entries.begin(), entries.end(), c.song + ".lrc"), entries.end()) << c.what;
  }
  // A save is written as fetched, never decoded: the preview is the focus's alone.
  EXPECT_TRUE(PreviewRows().empty());
}

// With another lyrics folder in the path box, a save lands there, where the list looks:
// the list shows that folder with the saved file selected, and a row below the hits says
// where it went, the list's tip holding its whole text; the next save's note replaces it.
// A failed search's row, which its column cuts, gives its whole cause in the tip too.
TEST_F(LyricSearch, ASaveLandsInThePathBoxsFolderAndIsListedSelectedAndSaid) {
  const ProgramFolderFiles beside({"测试己.lrc", "测试辛.lrc"});
  TempFolder folder;
  folder.Write("a.lrc", "[00:01.00]a\r\n");
  folder.Write("zz.lrc", "[00:01.00]z\r\n");
  M<MainCtl::文件框1>().SetFolder(ui::ProgramFolder());  // the list still shows another folder
  M<MainCtl::编辑框1>().SetText(folder.Path());
  catalogue.Add("g.lrc", "歌手", "测试己", kGbkLyric);
  catalogue.Add("h.lrc", "歌手", "测试辛", kUtf8Lyric);
  Search("测试");
  ASSERT_EQ(ResultRows().size(), 2u);
  const auto list = M<MainCtl::欲下载列表>();
  for (const auto& [row, song, bytes] : {std::tuple{0, "测试己", kGbkLyric}, std::tuple{1, "测试辛", kUtf8Lyric}}) {
    const std::string path = folder.Path() + "\\" + song + ".lrc";
    list.SetSelectedRow(row);
    Download();
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_FALSE(Exists(ProgramFolderFiles::Path(std::string(song) + ".lrc")));
    const auto files = M<MainCtl::文件框1>();
    EXPECT_EQ(files.Folder(), folder.Path());
    EXPECT_EQ(files.SelectedEntry(), std::string(song) + ".lrc");
    EXPECT_EQ(ResultRows().size(), 3u);  // the two hits and one note
    EXPECT_EQ(ResultRows().back().song, "已保存到 " + path);
    EXPECT_EQ(list.ToolTip(), "已保存到 " + path);
  }
  EXPECT_TRUE(boxes.All().empty());

  TheSearch().siteHost = "127.0.0.1:" + std::to_string(site.RefusedPort());
  Search("测试");
  EXPECT_EQ(list.ToolTip(), "搜索失败：网站拒绝了连接");
}

// Two singers' songs of one title share a file name: the second replaces the first only
// when the user says so; the same bytes again ask nothing.
TEST_F(LyricSearch, ASecondSongOfTheSameTitleReplacesTheFirstOnlyWhenTheUserSaysSo) {
  const ProgramFolderFiles files({"测试丁.lrc"});
  const std::string first = std::string(5000, 'o');
  catalogue.Add("d.lrc", "歌手", "测试丁", kGbkLyric);
  Search("测试丁");
  const struct {
    int answer;
    std::string before;
    std::string after;
    size_t questions;
  } cases[] = {{IDNO, first, first, 1}, {IDYES, first, kGbkLyric, 1}, {IDNO, kGbkLyric, kGbkLyric, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    boxes.SetAnswer(c.answer);
    const size_t before = boxes.All().size();
    WriteFileBytes(ProgramFolderFiles::Path("测试丁.lrc"), c.before);
    M<MainCtl::欲下载列表>().SetSelectedRow(0);
    Download();
    EXPECT_EQ(ReadFileBytes(ProgramFolderFiles::Path("测试丁.lrc")), c.after);
    const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
    ASSERT_EQ(seen.size(), before + c.questions);
    if (c.questions) {
      EXPECT_EQ(seen.back().text, "“测试丁.lrc”已有另一首歌词，要用下载的歌词替换它吗？\r\n选“否”保留原来的文件。");
    }
  }
}

// A file changed while the replace question was up is asked about again: what the user
// said "是" to is never another file than the one replaced.
TEST_F(LyricSearch, AFileChangedWhileAskedIsAskedAboutAgain) {
  const ProgramFolderFiles files({"测试壬.lrc"});
  const std::string path = ProgramFolderFiles::Path("测试壬.lrc");
  WriteFileBytes(path, "old bytes");
  catalogue.Add("r.lrc", "歌手", "测试壬", kGbkLyric);
  Search("测试壬");
  boxes.SetAnswer(IDYES);
  int asked = 0;
  boxes.SetBeforeAnswer([&](const MessageBoxWatcher::Seen&) {
    // The first question: the file changes under it. The second: the user keeps it.
    if (++asked == 1) WriteFileBytes(path, "changed while asked");
    else boxes.SetAnswer(IDNO);
  });
  M<MainCtl::欲下载列表>().SetSelectedRow(0);
  Download();
  boxes.SetBeforeAnswer(nullptr);
  EXPECT_EQ(ReadFileBytes(path), "changed while asked");
  EXPECT_EQ(asked, 2);
}

// A save that cannot be written says so once and keeps the old file.
TEST_F(LyricSearch, ASaveOverAReadOnlyFileSaysSoAndKeepsTheOldBytes) {
  const ProgramFolderFiles files({"测试庚.lrc"});
  const std::string path = ProgramFolderFiles::Path("测试庚.lrc");
  WriteFileBytes(path, "old bytes");
  SetFileAttributesW(enc::Wide(path).c_str(), FILE_ATTRIBUTE_READONLY);
  catalogue.Add("g.lrc", "歌手", "测试庚", kGbkLyric);
  Search("测试庚");
  boxes.SetAnswer(IDYES);
  M<MainCtl::欲下载列表>().SetSelectedRow(0);
  Download();
  SetFileAttributesW(enc::Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(path), "old bytes");
  size_t failures = 0;
  for (const MessageBoxWatcher::Seen& seen : boxes.All()) {
    if (seen.caption != "保存失败") continue;
    ++failures;
    EXPECT_EQ(seen.text.rfind("歌词没有保存，原来的文件没有改动：\r\n" + path + "\r\n", 0), 0u) << seen.text;
  }
  EXPECT_EQ(failures, 1u);
  for (const std::string& name : FilesIn(ui::ProgramFolder()))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name << " was left behind";
}

// A lyric of 200,000 lines: the preview shows the first rows and says it is cut, and
// the window answers while the lyric is fetched, decoded and split. The figures are
// printed (bench/lyric_preview.sh takes them).
TEST_F(LyricSearch, AHugeLyricPreviewsItsFirstRowsWhileTheWindowAnswers) {
  catalogue.AddLink("歌手", "很长的歌", "{base}/lines/200000");
  Search("很长的歌");
  std::atomic<bool> probing{true};
  std::atomic<DWORD> worstMs{0};
  std::atomic<int> unanswered{0};
  const HWND main = M<MainCtl::歌词预览>().Handle();
  std::thread prober([&] {
    while (probing) {
      const DWORD start = GetTickCount();
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) ++unanswered;
      worstMs = std::max<DWORD>(worstMs, GetTickCount() - start);
      Sleep(50);
    }
  });
  const DWORD start = GetTickCount();
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(M<MainCtl::欲下载列表>().Handle(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  const bool shown = PumpUntil([] { return M<MainCtl::歌词预览>().RowCount() > 0; }, 30000);
  const DWORD shownMs = GetTickCount() - start;
  WaitForFetches();
  probing = false;
  prober.join();
  std::printf("preview of 200000 lines: shown after %lu ms, worst answer %lu ms, %d probes unanswered\n", shownMs,
              static_cast<unsigned long>(worstMs.load()), unanswered.load());
  ASSERT_TRUE(shown);
  const auto preview = M<MainCtl::歌词预览>();
  ASSERT_EQ(preview.RowCount(), 1001);
  EXPECT_EQ(preview.Cell(999, 1), "河水弯弯流过小村 999");
  EXPECT_EQ(preview.Cell(1000, 1), "（歌词太长，预览只显示前 1000 行）");
  EXPECT_EQ(unanswered, 0);
  const std::string& text = TheSearch().FetchedLyricText();
  EXPECT_EQ(text.substr(0, 38), "[00:00.00]河水弯弯流过小村 0\r\n");
  EXPECT_NE(text.find("[333:19.90]河水弯弯流过小村 199999\r\n"), std::string::npos);
}

// The time of 200 requests for a cell, as a list view paints or a tool tip asks: a
// buffer of a row's width, the text cut to it.
double CellRequestsMs(HWND list, int row, int column, std::string* text) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  wchar_t buffer[260];
  for (int i = 0; i < 200; ++i) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  }
  QueryPerformanceCounter(&end);
  *text = enc::Narrow(buffer);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

// A lyric of one 8 MB line: each cell request of the preview and of the lyric table
// copies and widens only what a cell shows.
TEST_F(LyricSearch, CellsOfAnEightMegabyteLineCostLittle) {
  const std::string line(8 * 1024 * 1024, 'a');
  catalogue.Add("long.lrc", "歌手", "长行", "[00:01.00]" + line + "\r\n");
  Search("长行");
  ClickRow(0);
  ASSERT_EQ(PreviewRows().size(), 1u);
  std::string shown;
  const double previewMs = CellRequestsMs(M<MainCtl::歌词预览>().Handle(), 0, 1, &shown);
  EXPECT_EQ(shown, std::string(259, 'a'));

  LyricTimeline timeline;
  timeline.count = 1;
  timeline.timesMs = {1000};
  timeline.textOf = {0};
  timeline.lineTexts = {line};
  lyric_table::ShowTimeline(timeline);
  const double tableMs = CellRequestsMs(M<MainCtl::超级列表框_歌词>().Handle(), 0, static_cast<int>(LyricColumn::Text), &shown);
  lyric_table::Clear();
  EXPECT_EQ(shown, std::string(259, 'a'));
  std::printf("200 cell requests of an 8 MB line: preview %.1f ms, lyric table %.1f ms\n", previewMs, tableMs);
  EXPECT_LT(previewMs, 200.0);
  EXPECT_LT(tableMs, 200.0);
}

// Focus moving over hits of a host that never answers: the previews do not pile up
// threads (each newer one ends the older fetch, and a resting focus is waited for).
TEST_F(LyricSearch, ManyFocusChangesOverASilentHostKeepTheThreadsFew) {
  const std::string silent = "http://127.0.0.1:" + std::to_string(site.SilentPort());
  for (int i = 0; i < 20; ++i) catalogue.AddLink("歌手", "静" + std::to_string(i), silent + "/x" + std::to_string(i) + ".lrc");
  Search("静");
  ASSERT_EQ(ResultRows().size(), 20u);
  const HWND list = M<MainCtl::欲下载列表>().Handle();
  int most = 0;
  for (int i = 0; i < 200; ++i) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, i % 20, reinterpret_cast<LPARAM>(&state));
    // Every tenth change rests long enough for its preview to start.
    PumpUntil([] { return false; }, i % 10 == 9 ? 300 : 20);
    most = std::max(most, ThreadsOfThisProcess());
  }
  const int after = ThreadsOfThisProcess();
  std::printf("threads after 200 focus changes: %d (most on the way: %d)\n", after, most);
  EXPECT_LT(after, 20);
  EXPECT_LT(most, 20);
  WaitForFetches();
}

TEST_F(LyricSearch, AFailedFetchLeavesAnExistingFileAlone) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(site.RefusedPort()) + "/x.lrc";
  struct Case {
    const char* what;
    std::string link;
    std::string why;
  };
  const Case cases[] = {
      {"refused port", refused, "网站拒绝了连接"},
      {"error status", "{base}/status/404", "网站回答 HTTP 404"},
      {"transfer cut short", "{base}/cut/20", "连接中途断开"},
      {"an endless body", "{base}/endless", "内容太大，超过上限"},
      {"relative link", "lrc/x.lrc", "地址无效"},
      {"empty link", "", "地址无效"},
  };
  const ProgramFolderFiles files({"测试戊.lrc"});
  for (const Case& c : cases) catalogue.AddLink("歌手", "测试戊", c.link);
  Search("测试戊");
  ASSERT_EQ(ResultRows().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    WriteFileBytes(ProgramFolderFiles::Path("测试戊.lrc"), kGbkLyric);
    const size_t before = boxes.All().size();
    M<MainCtl::欲下载列表>().SetSelectedRow(static_cast<int>(i));
    Download();
    EXPECT_EQ(ReadFileBytes(ProgramFolderFiles::Path("测试戊.lrc")), kGbkLyric) << cases[i].what;
    // Each failed save says why, once.
    const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
    ASSERT_EQ(seen.size(), before + 1) << cases[i].what;
    EXPECT_EQ(seen.back().caption, "保存失败");
    EXPECT_EQ(seen.back().text, "歌词没有保存：" + cases[i].why) << cases[i].what;
  }
}

// A preview whose fetch failed says why in its one row.
TEST_F(LyricSearch, AFailedPreviewShowsWhy) {
  catalogue.AddLink("歌手", "测试辛", "{base}/status/404");
  catalogue.AddLink("歌手", "测试辛", "http://127.0.0.1:" + std::to_string(site.RefusedPort()) + "/x.lrc");
  Search("测试辛");
  ClickRow(0);
  EXPECT_EQ(PreviewRows(), (std::vector<Row>{{"", "预览失败：网站回答 HTTP 404"}}));
  ClickRow(1);
  EXPECT_EQ(PreviewRows(), (std::vector<Row>{{"", "预览失败：网站拒绝了连接"}}));
  EXPECT_TRUE(boxes.All().empty());
}

// Saves of a host that never answers: at most three fetch at a time, each with few
// threads; the program's end ends them and nothing is written or said.
TEST_F(LyricSearch, ManySavesOverASilentHostFetchAFewAtATimeAndEndWithTheProgram) {
  const std::string silent = "http://127.0.0.1:" + std::to_string(site.SilentPort());
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) {
    catalogue.AddLink("歌手", "静存" + std::to_string(i), silent + "/s" + std::to_string(i) + ".lrc");
    names.push_back("静存" + std::to_string(i) + ".lrc");
  }
  const ProgramFolderFiles files(names);
  Search("静存");
  ASSERT_EQ(ResultRows().size(), 20u);
  const int threadsBefore = ThreadsOfThisProcess();
  int mostFetching = 0;
  int mostThreads = 0;
  for (int i = 0; i < 20; ++i) {
    M<MainCtl::欲下载列表>().SetSelectedRow(i);
    TheSearch().DownloadSelectedLyric(RowEvent(i));
    PumpUntil([] { return false; }, 20);
    mostFetching = std::max(mostFetching, TheSearch().SavesFetching());
    mostThreads = std::max(mostThreads, ThreadsOfThisProcess());
  }
  PumpUntil([] { return false; }, 500);
  mostThreads = std::max(mostThreads, ThreadsOfThisProcess());
  std::printf("20 saves over a silent host: at most %d fetching, threads %d before, at most %d\n", mostFetching,
              threadsBefore, mostThreads);
  EXPECT_EQ(mostFetching, kMaxSavesAtOnce);
  EXPECT_LT(mostThreads - threadsBefore, 10);
  TheSearch().CancelSaves();
  WaitForFetches();
  EXPECT_TRUE(boxes.All().empty());
  for (const std::string& name : names) EXPECT_FALSE(Exists(ProgramFolderFiles::Path(name))) << name;
}

// Run under a file-size limit (RAVO_FILE_SIZE_LIMIT_KB, set by the test's own entry in the
// build, which starts it with that limit): a write that fills the "disk" keeps the old file.
TEST_F(LyricSearch, ASaveThatFillsTheDiskKeepsTheOldLyric) {
  const char* limitKb = std::getenv("RAVO_FILE_SIZE_LIMIT_KB");
  if (!limitKb) GTEST_SKIP() << "runs under a file-size limit only";
  const ProgramFolderFiles files({"测试己.lrc"});
  WriteFileBytes(ProgramFolderFiles::Path("测试己.lrc"), kGbkLyric);
  // Made by the site, not written here: the limit holds for every process of the test.
  catalogue.AddLink("歌手", "测试己", "{base}/big/" + std::to_string((std::atoi(limitKb) + 64) * 1024));
  Search("测试己");
  M<MainCtl::欲下载列表>().SetSelectedRow(0);
  Download();
  EXPECT_EQ(ReadFileBytes(ProgramFolderFiles::Path("测试己.lrc")), kGbkLyric);
  for (const std::string& name : FilesIn(ui::ProgramFolder()))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name << " was left behind";
}

TEST_F(LyricSearch, HostileTitlesAreSavedInsideTheProgramFolderOrNotAtAll) {
  struct Case {
    std::string song;
    std::string savedAs;  // empty: nothing saved
  };
  const Case cases[] = {
      {"..\\..\\测试x", ".._.._测试x.lrc"},
      {"测试a/b", "测试a_b.lrc"},
      {"con:", "con_.lrc"},
      {"con", "_con.lrc"},
      {"...", ""},
      {"", ""},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases)
    if (!c.savedAs.empty()) expected.push_back(c.savedAs);
  const ProgramFolderFiles files(expected);
  const std::string outside = ui::ProgramFolder() + "\\..\\..\\测试x.lrc";
  DeleteFileW(enc::Wide(outside).c_str());
  for (size_t i = 0; i < std::size(cases); ++i) catalogue.AddLink("歌手", cases[i].song, "{base}/lrc/g.lrc");
  catalogue.Add("g.lrc", "-", "-", kGbkLyric);
  Search("歌手");
  ASSERT_EQ(ResultRows().size(), std::size(cases));
  const std::vector<std::string> before = FilesIn(ui::ProgramFolder());

  for (size_t i = 0; i < std::size(cases); ++i) {
    M<MainCtl::欲下载列表>().SetSelectedRow(static_cast<int>(i));
    Download();
  }
  for (const std::string& name : expected) EXPECT_EQ(ReadFileBytes(ProgramFolderFiles::Path(name)), kGbkLyric) << name;
  std::set<std::string> added;
  for (const std::string& name : FilesIn(ui::ProgramFolder()))
    if (!std::binary_search(before.begin(), before.end(), name)) added.insert(name);
  EXPECT_EQ(added, std::set<std::string>(expected.begin(), expected.end()));
  EXPECT_FALSE(Exists(outside));
}

}  // namespace
