// The windows as the user gets them: every row of each layout read back from the real
// windows, and what the rows cannot say (captions that show whole, the page shown at
// start, storage out of sight).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "layout/program_windows.h"
#include "build_settings.h"
#include "text/encoding.h"
#include "win/web_page.h"
#include "support/win_test_support.h"

namespace {

#define STRINGIFY2(x) #x
#define STRINGIFY(x) STRINGIFY2(x)

// The window class each kind of row is built as; null for rows without a window.
const char* ClassOfKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::GroupBox:
    case ControlKind::CheckBox:
    case ControlKind::Button:
    case ControlKind::ImageButton:
      return "Button";
    case ControlKind::DrawingBoard:
      return "RavoDrawingBoard";
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
    case ControlKind::Hyperlink:
    case ControlKind::PictureBox:
      return "Static";
    case ControlKind::Edit:
      return "Edit";
    case ControlKind::TabControl:
      return "SysTabControl32";
    case ControlKind::FileList:
      return "ListBox";
    case ControlKind::ListView:
    case ControlKind::VirtualListView:
      return "SysListView32";
    case ControlKind::ProgressBar:
      return "msctls_progress32";
    case ControlKind::WebBrowser:
      return "RavoWebPage";
    case ControlKind::Timer:
    case ControlKind::CommonDialog:
    case ControlKind::Menu:
    case ControlKind::MenuItem:
    case ControlKind::HotKey:
      return nullptr;
  }
  return nullptr;
}

// Rows whose text is not shown as the control's caption.
bool TextIsCaption(ControlKind kind) {
  return kind != ControlKind::TabControl && kind != ControlKind::FileList && kind != ControlKind::WebBrowser;
}

int IndexOf(const std::string& name) {
  for (int i = 0; i < kMainWindowLayout.controlCount; ++i)
    if (name == kMainWindowLayout.controls[i].name) return i;
  return -1;
}

HWND HandleOf(const std::string& name) {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : Control(WindowKind::Main, i).Handle();
}

RECT RectInParent(HWND h) {
  RECT rc;
  GetWindowRect(h, &rc);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

struct Column {
  std::string caption;
  int width;
  bool operator==(const Column& o) const { return caption == o.caption && width == o.width; }
};

std::vector<Column> ColumnsOf(HWND lv) {
  std::vector<Column> out;
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const int n = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[256] = {};
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = buf;
    col.cchTextMax = 256;
    SendMessageW(lv, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    out.push_back({enc::Narrow(buf), col.cx});
  }
  return out;
}

std::vector<std::string> TabCaptions(HWND tab) {
  std::vector<std::string> out;
  const int n = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 128;
    SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    out.push_back(enc::Narrow(buf));
  }
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
    out.push_back(text.substr(from, at - from));
  out.push_back(text.substr(from));
  return out;
}

std::string MenuText(HMENU menu, int position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return enc::Narrow(text);
}

// Checks the loaded window against its layout, row by row: each control exists with its
// kind's class, the row's rectangle, parent, caption, columns, pages, menu entries and
// timer period, and shows only on its own page. `setAtCreation` names rows whose caption
// or timer the window's creation handler sets (their own tests check those).
void ExpectBuiltFromRows(WindowKind kind, const WindowLayout& layout, const std::set<std::string>& setAtCreation) {
  const HWND window = ui::WindowHandle(kind);
  ASSERT_NE(window, nullptr);
  RECT rc;
  GetWindowRect(window, &rc);
  EXPECT_EQ(rc.left, layout.x);
  EXPECT_EQ(rc.top, layout.y);
  EXPECT_EQ(rc.right - rc.left, layout.w);
  EXPECT_EQ(rc.bottom - rc.top, layout.h);
  EXPECT_EQ(WindowText(window), layout.title);

  const HMENU bar = GetMenu(window);
  int menus = 0;
  std::vector<int> menuPosition(layout.controlCount, -1), menuItems(layout.controlCount, 0);
  for (int i = 0; i < layout.controlCount; ++i) {
    const LayoutRow& row = layout.controls[i];
    SCOPED_TRACE(row.name);
    const bool ownState = setAtCreation.count(row.name) > 0;
    const Control control(kind, i);
    if (row.kind == ControlKind::Timer) {
      if (!ownState) {
        EXPECT_EQ(Timer(kind, i).TimerPeriod(), row.timerMs);
      }
      continue;
    }
    if (row.kind == ControlKind::Menu) {
      ASSERT_NE(bar, nullptr);
      menuPosition[i] = menus++;
      EXPECT_EQ(MenuText(bar, menuPosition[i]), row.text);
      continue;
    }
    if (row.kind == ControlKind::MenuItem) {
      const HMENU sub = GetSubMenu(bar, menuPosition[row.parent]);
      EXPECT_EQ(MenuText(sub, menuItems[row.parent]++), row.text);
      continue;
    }
    const char* cls = ClassOfKind(row.kind);
    if (!cls) continue;
    const HWND h = control.Handle();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WindowClass(h), cls);
    const HWND parent = row.parent == kNoParent ? window : Control(kind, row.parent).Handle();
    EXPECT_EQ(GetParent(h), parent);
    const RECT r = RectInParent(h);
    EXPECT_EQ(r.left, row.x);
    EXPECT_EQ(r.top, row.y);
    EXPECT_EQ(r.right - r.left, row.w);
    EXPECT_EQ(r.bottom - r.top, row.h);
    if (TextIsCaption(row.kind) && !ownState) {
      EXPECT_EQ(WindowText(h), row.text);
    }
    const bool onTab = row.page > 0 && layout.controls[row.parent].kind == ControlKind::TabControl;
    const bool shown = !onTab || row.page - 1 == SendMessageA(parent, TCM_GETCURSEL, 0, 0);
    EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0, shown);
    if (row.kind == ControlKind::TabControl) {
      EXPECT_EQ(TabCaptions(h), Lines(row.text));
    }
    if (row.kind == ControlKind::ListView || row.kind == ControlKind::VirtualListView) {
      EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & LVS_REPORT);
      std::vector<Column> want;
      for (int c = 0; c < row.columnCount; ++c) want.push_back({row.columns[c].caption, row.columns[c].width});
      EXPECT_EQ(ColumnsOf(h), want);
    }
  }
  EXPECT_EQ(bar ? GetMenuItemCount(bar) : 0, menus);
  for (int i = 0; i < layout.controlCount; ++i) {
    if (layout.controls[i].kind == ControlKind::Menu) {
      EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, menuPosition[i])), menuItems[i]);
    }
  }
}

class MainWindowLayout : public ::testing::Test {
 protected:
  MainWindowFixture window;
};

// The creation handler writes the program's folder into 编辑框1.
TEST_F(MainWindowLayout, EveryRowBuildsItsControl) {
  ExpectBuiltFromRows(WindowKind::Main, kMainWindowLayout, {"编辑框1"});
}

// A caption shows whole when each of its lines, measured in the control's own font,
// fits the control's text area and no sibling above the control covers the text.
TEST_F(MainWindowLayout, CaptionsShowWhole) {
  struct Case {
    const char* name;
    int indent;  // where the text starts in the rectangle: right of a check box's box
  };
  const Case cases[] = {
      {"选择框1", GetSystemMetrics(SM_CXMENUCHECK) + 6},
      {"标签12", 0},
      {"标签11", 0},
      {"标签1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = HandleOf(c.name);
    ASSERT_NE(h, nullptr);
    const RECT rc = RectInParent(h);
    const int width = rc.right - rc.left - c.indent;
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    // Lines as the control breaks them: at CR LF, and where the next character would
    // not fit (which takes a control that wraps).
    std::vector<std::wstring> lines;
    std::wstring rest = enc::Wide(WindowText(h));
    while (!rest.empty()) {
      std::wstring line = rest.substr(0, rest.find(L"\r\n"));
      int fit = 0;
      SIZE size = {};
      GetTextExtentExPointW(dc, line.c_str(), static_cast<int>(line.size()), width, &fit, nullptr, &size);
      if (fit < static_cast<int>(line.size())) {
        ASSERT_GT(fit, 0);
        line.resize(fit);
      }
      lines.push_back(line);
      rest.erase(0, line.size());
      if (rest.rfind(L"\r\n", 0) == 0) rest.erase(0, 2);
    }
    int textWidth = 0;
    for (const std::wstring& line : lines) {
      SIZE size = {};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
      textWidth = std::max<int>(textWidth, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(h, dc);

    const LONG style = GetWindowLongA(h, GWL_STYLE);
    if (lines.size() > 1 && WindowClass(h) == "Button") {
      EXPECT_TRUE(style & BS_MULTILINE) << "cut after one line";
    }
    EXPECT_LE(static_cast<int>(lines.size()) * tm.tmHeight, rc.bottom - rc.top) << lines.size() << " lines";
    EXPECT_LE(textWidth, width);

    RECT text = {rc.left + c.indent, rc.top, rc.left + c.indent + textWidth, rc.bottom};
    for (HWND above = GetWindow(h, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
      const RECT other = RectInParent(above);
      RECT both;
      const bool covers = (GetWindowLongA(above, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&both, &text, &other);
      EXPECT_FALSE(covers) << "covered by the sibling '" << WindowText(above) << "' above it";
    }
  }
}

// The title shows the version this build is.
TEST_F(MainWindowLayout, TitleNamesTheBuiltVersion) {
  EXPECT_EQ(WindowText(window.Handle()), "Ravo语音社区-Ravo字幕器v" STRINGIFY(RAVO_VERSION_MAJOR) "." STRINGIFY(
                                              RAVO_VERSION_MINOR) " 官网:" RAVO_MAKER_ADDRESS);
}

TEST_F(MainWindowLayout, PageFourShownAtStartAndAClickOnATabShowsItsPage) {
  HWND tab = HandleOf("置顶选择1");
  ASSERT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 3);
  // Shown, so that what the user would see can be read.
  ShowWindow(window.Handle(), SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(HandleOf("按钮15")));
  EXPECT_TRUE(GetWindowLongA(HandleOf("按钮15"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(HandleOf("超级列表框_歌词")));
  EXPECT_FALSE(GetWindowLongA(HandleOf("超级列表框_歌词"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(HandleOf("分组框7"), GWL_STYLE) & WS_VISIBLE);

  // A click on another tab shows that page's controls instead.
  SendMessageA(tab, TCM_SETCURFOCUS, 0, 0);
  EXPECT_TRUE(IsWindowVisible(HandleOf("超级列表框_歌词")));
  EXPECT_TRUE(GetWindowLongA(HandleOf("超级列表框_歌词"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(HandleOf("按钮15")));
  EXPECT_FALSE(GetWindowLongA(HandleOf("按钮15"), GWL_STYLE) & WS_VISIBLE);
}

// The time columns hold what playback reads, never what the user should see.
TEST_F(MainWindowLayout, TimeColumnsAreHidden) {
  for (const char* list : {"超级列表框_歌词", "歌词预览"}) {
    SCOPED_TRACE(list);
    const std::vector<Column> got = ColumnsOf(HandleOf(list));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].width, 0);
    EXPECT_GT(got[1].width, 0);
  }
}

TEST_F(MainWindowLayout, HiddenControlsLieOutsideTheVisibleArea) {
  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  for (const char* name : {"分组框2", "编辑框8", "按钮10"}) {
    SCOPED_TRACE(name);
    HWND h = HandleOf(name);
    ASSERT_NE(h, nullptr);
    const RECT rc = RectInParent(h);
    EXPECT_GE(rc.left, frame.right - frame.left);
  }
}

// The hidden web page fetches nothing unless it is given an https address: the build's
// (none in this build) and every other kind of address leave its browser unmade; an https
// address is the one it is sent to.
TEST_F(MainWindowLayout, WebPageGoesNowhereWithoutAnHttpsAddress) {
  const HWND shown = HandleOf("超文本浏览框1");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(std::string(RAVO_MAKER_PAGE), "");
  EXPECT_EQ(WebPageAddress(shown), "");
  for (const char* address : {"", "http://127.0.0.1:18619/", "www.ravo-voice.example", "HTTP://h/", "ftp://h/",
                              "https://", "https://h:0/", "about:blank", "file:///C:/x.html"}) {
    SCOPED_TRACE(address);
    const HWND page = CreateWebPage(window.Handle(), 600, 0, 50, 50, 999, address);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(WebPageAddress(page), "");
    DestroyWindow(page);
  }
  // An https address is where it goes.
  const HWND secure = CreateWebPage(window.Handle(), 600, 0, 50, 50, 999, "https://127.0.0.1:1/about");
  ASSERT_NE(secure, nullptr);
  EXPECT_EQ(WebPageAddress(secure), "https://127.0.0.1:1/about");
  DestroyWindow(secure);
}

TEST_F(MainWindowLayout, ProgramFolderInEditBoxWhileFileListShowsCurrentFolder) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.resize(folder.find_last_of('\\'));
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), folder);

  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), CurrentFolder());
}

TEST(FileList, ListsTheLrcFilesOfTheCurrentFolderAtStart) {
  TempFolder dir;
  dir.Write("b.lrc", "x");
  dir.Write("A.LRC", "x");
  dir.Write("c.txt", "x");
  dir.Write("中文歌.lrc", "x");
  CreateDirectoryA((dir.Path() + "\\sub.lrc").c_str(), nullptr);
  {
    const CurrentFolderFor inDir(dir.Path());
    MainWindowFixture window;
    const std::vector<std::string> want = {"A.LRC", "b.lrc", "中文歌.lrc"};
    EXPECT_EQ(M<MainCtl::文件框1>().Entries(), want);
  }
  RemoveDirectoryA((dir.Path() + "\\sub.lrc").c_str());
}

TEST(UpdateWindow, EveryRowBuildsItsControl) {
  ui::LoadOptions options;
  options.show = false;
  ASSERT_NE(ui::LoadWindow(WindowKind::Update, options), nullptr);
  // The creation handler starts the download: the button and the timer say so.
  ExpectBuiltFromRows(WindowKind::Update, kUpdateWindowLayout, {"按钮1", "时钟"});
  ui::DestroyWindowNow(WindowKind::Update);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "");  // a closed window reads as empty
}

}  // namespace
