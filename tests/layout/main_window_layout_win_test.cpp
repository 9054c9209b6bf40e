// The windows as the user gets them: every row of each layout read back from the real
// windows, and what the rows cannot say (captions that show whole, the page shown at
// start, storage out of sight). The rows are 96-DPI pixels: at another system DPI
// (scripts/at-dpi.sh runs these tests at 120, 144 and 192 too) every rectangle is the
// row's times the scale, within a pixel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/features.h"
#include "layout/program_windows.h"
#include "win/dpi.h"
#include "win/drawing_board.h"
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
  for (int i = 0; i < SupportProgram().Layouts().Of(WindowKind::Main).controlCount; ++i)
    if (name == SupportProgram().Layouts().Of(WindowKind::Main).controls[i].name) return i;
  return -1;
}

HWND HandleOf(const std::string& name) {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : Control(WindowKind::Main, i).Handle();
}

// The DPI the test runs at: the system's, which scripts/at-dpi.sh names.
int TestDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

double Scaled(int value) { return value * TestDpi() / 96.0; }

// The rectangle's edges are the row's times the scale, within a pixel.
void ExpectScaledRect(const RECT& r, int x, int y, int w, int h) {
  EXPECT_NEAR(r.left, Scaled(x), 1);
  EXPECT_NEAR(r.top, Scaled(y), 1);
  EXPECT_NEAR(r.right, Scaled(x + w), 1);
  EXPECT_NEAR(r.bottom, Scaled(y + h), 1);
}

// A window's frame (outer size less client size) as the system draws it at a DPI; none
// where the system cannot say.
SIZE FrameAtDpi(HWND window, int dpi) {
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  const auto adjust = reinterpret_cast<Adjust>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  RECT rc = {0, 0, 0, 0};
  if (!adjust) return {};
  adjust(&rc, GetWindowLongA(window, GWL_STYLE), GetMenu(window) != nullptr, GetWindowLongA(window, GWL_EXSTYLE),
         dpi);
  return {rc.right - rc.left, rc.bottom - rc.top};
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
  if (const char* expected = getenv("RAVO_EXPECT_DPI")) {
    EXPECT_EQ(TestDpi(), atoi(expected)) << "the system's DPI is not the one asked for";
  }
  EXPECT_EQ(ui::WindowDpi(kind), TestDpi());
  EXPECT_NEAR(rc.left, Scaled(layout.x), 1);
  EXPECT_NEAR(rc.top, Scaled(layout.y), 1);
  if (TestDpi() == 96) {
    EXPECT_EQ(rc.right - rc.left, layout.w);
    EXPECT_EQ(rc.bottom - rc.top, layout.h);
  } else {
    // The client area is the one of 96 DPI scaled; the frame is the system's.
    const SIZE frame96 = FrameAtDpi(window, 96);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_NEAR(client.right, Scaled(layout.w - frame96.cx), 1);
    EXPECT_NEAR(client.bottom, Scaled(layout.h - frame96.cy), 1);
  }
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
    ExpectScaledRect(RectInParent(h), row.x, row.y, row.w, row.h);
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
      const std::vector<Column> got = ColumnsOf(h);
      ASSERT_EQ(static_cast<int>(got.size()), row.columnCount);
      for (int c = 0; c < row.columnCount; ++c) {
        EXPECT_EQ(got[c].caption, row.columns[c].caption);
        EXPECT_NEAR(got[c].width, Scaled(row.columns[c].width), 1) << got[c].caption;
      }
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
  ExpectBuiltFromRows(WindowKind::Main, SupportProgram().Layouts().Of(WindowKind::Main), {"编辑框1"});
}

// A caption shows whole when each of its lines, measured in the control's own font,
// fits the control's text area and no sibling above the control covers the text: every
// caption of the windows' rows the user can see, at the system's DPI.
void ExpectCaptionsShowWhole(WindowKind kind, const WindowLayout& layout) {
  PumpFor(100);  // the form completed after its first paint, its controls stacked
  for (int i = 0; i < layout.controlCount; ++i) {
    const LayoutRow& row = layout.controls[i];
    const ControlKind k = row.kind;
    const bool captioned = k == ControlKind::Label || k == ControlKind::CheckBox || k == ControlKind::Button ||
                           k == ControlKind::ImageButton || k == ControlKind::Hyperlink || k == ControlKind::GroupBox;
    // Out of sight: beyond its parent's size (the window's, for a row directly on it).
    bool outOfSight = false;
    int page = -1;
    for (int r = i; r != kNoParent; r = layout.controls[r].parent) {
      const LayoutRow& at = layout.controls[r];
      const int w = at.parent == kNoParent ? layout.w : layout.controls[at.parent].w;
      const int h = at.parent == kNoParent ? layout.h : layout.controls[at.parent].h;
      outOfSight = outOfSight || at.x >= w || at.y >= h;
      if (at.page > 0) page = at.page - 1;
    }
    if (!captioned || outOfSight) continue;
    SCOPED_TRACE(row.name);
    HWND h = Control(kind, i).Handle();
    ASSERT_NE(h, nullptr);
    if (page >= 0) {  // on its page, as the user sees it
      HWND tab = nullptr;
      for (tab = GetParent(h); tab && WindowClass(tab) != "SysTabControl32";) tab = GetParent(tab);
      ASSERT_NE(tab, nullptr);
      SendMessageW(tab, TCM_SETCURFOCUS, page, 0);
    }
    const RECT rc = RectInParent(h);
    // Where the text may go: right of a check box's box, inside a button's edges.
    int indent = 0, margin = 0;
    if (k == ControlKind::CheckBox) indent = GetSystemMetrics(SM_CXMENUCHECK) + static_cast<int>(Scaled(6));
    if (k == ControlKind::Button || k == ControlKind::ImageButton) margin = static_cast<int>(Scaled(3));
    if (k == ControlKind::GroupBox) margin = static_cast<int>(Scaled(8));
    const int width = rc.right - rc.left - indent - 2 * margin;
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
    if (lines.size() > 1) {
      EXPECT_NE(k, ControlKind::Button) << "a push button shows one line";
      EXPECT_NE(k, ControlKind::GroupBox) << "a group box shows one line";
      if (k == ControlKind::CheckBox) {
        EXPECT_TRUE(style & BS_MULTILINE) << "cut after one line";
      }
    }
    // The lines' ink: the space for accents above the first is not needed.
    EXPECT_LE(static_cast<int>(lines.size()) * tm.tmHeight - tm.tmInternalLeading, rc.bottom - rc.top)
        << lines.size() << " lines";
    EXPECT_LE(textWidth, width);

    // Labels and group boxes show their text at the top, buttons and check boxes in the
    // middle.
    const int textHeight = static_cast<int>(lines.size()) * tm.tmHeight;
    const bool atTop = k == ControlKind::Label || k == ControlKind::Hyperlink || k == ControlKind::GroupBox;
    const int textTop = atTop ? rc.top : rc.top + std::max<int>(0, (rc.bottom - rc.top - textHeight) / 2);
    RECT text = {rc.left + indent + margin, textTop, rc.left + indent + margin + textWidth,
                 std::min<int>(rc.bottom, textTop + textHeight)};
    for (HWND above = GetWindow(h, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
      const RECT other = RectInParent(above);
      RECT both;
      const bool covers = (GetWindowLongA(above, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&both, &text, &other);
      EXPECT_FALSE(covers) << "covered by the sibling '" << WindowText(above) << "' above it";
    }
  }
}

TEST_F(MainWindowLayout, CaptionsShowWhole) { ExpectCaptionsShowWhole(WindowKind::Main, SupportProgram().Layouts().Of(WindowKind::Main)); }

// Moved onto a monitor of another DPI, the window takes the rectangle the system
// suggests, and its controls, fonts and list columns follow the new scale; back on the
// first monitor, all is as before.
TEST_F(MainWindowLayout, AMoveToAnotherDpiRescalesEveryControl) {
  const HWND main = window.Handle();
  const int before = ui::WindowDpi(WindowKind::Main);
  // A scale whose window fits the screen of the tests.
  const int other = before == 96 ? 120 : 96;
  HWND lyrics = HandleOf("超级列表框_歌词");
  HWND check = HandleOf("选择框1");
  auto fontHeight = [](HWND h) {
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return std::abs(lf.lfHeight);
  };
  const int lyricFont = fontHeight(lyrics), checkFont = fontHeight(check);
  RECT original;
  GetWindowRect(main, &original);
  struct Move {
    int dpi;
    RECT suggested;
  };
  for (const Move& m : {Move{other, {100, 60, 100 + 487 * other / 96, 60 + 543 * other / 96}}, Move{before, original}}) {
    SCOPED_TRACE(m.dpi);
    SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(m.dpi, m.dpi), reinterpret_cast<LPARAM>(&m.suggested));
    EXPECT_EQ(ui::WindowDpi(WindowKind::Main), m.dpi);
    RECT now;
    GetWindowRect(main, &now);
    EXPECT_TRUE(EqualRect(&now, &m.suggested));
    for (const char* name : {"分组框1", "画板_捕获器", "选择框1", "置顶选择1", "超级列表框_歌词", "按钮15", "分组框6", "按钮4"}) {
      SCOPED_TRACE(name);
      const LayoutRow& row = SupportProgram().Layouts().Of(WindowKind::Main).controls[IndexOf(name)];
      const RECT r = RectInParent(HandleOf(name));
      EXPECT_NEAR(r.left, row.x * m.dpi / 96.0, 1);
      EXPECT_NEAR(r.top, row.y * m.dpi / 96.0, 1);
      EXPECT_NEAR(r.right, (row.x + row.w) * m.dpi / 96.0, 1);
      EXPECT_NEAR(r.bottom, (row.y + row.h) * m.dpi / 96.0, 1);
    }
    EXPECT_NEAR(fontHeight(lyrics), lyricFont * m.dpi / static_cast<double>(before), 1);
    EXPECT_NEAR(fontHeight(check), checkFont * m.dpi / static_cast<double>(before), 1);
    EXPECT_NEAR(ColumnsOf(lyrics)[1].width, 230 * m.dpi / 96.0, 1);
    EXPECT_EQ(ColumnsOf(lyrics)[0].width, 0);
    // The capture board's drawing follows its new size: the crosshair's line across
    // its middle still reaches its right edge.
    SupportProgram().features.picker.OnMainWindowActivated();
    SupportProgram().features.picker.OnMainWindowActivated();  // cleared in the board's own colour
    DrawingBoard* board = M<MainCtl::画板_捕获器>().Board();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->PixelAt(30, 14), PICKER_COLOR);
    EXPECT_EQ(board->PixelAt(30, 13), RGB(240, 255, 240));
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
  ExpectBuiltFromRows(WindowKind::Update, SupportProgram().Layouts().Of(WindowKind::Update), {"按钮1", "时钟"});
  ExpectCaptionsShowWhole(WindowKind::Update, SupportProgram().Layouts().Of(WindowKind::Update));
  ui::DestroyWindowNow(WindowKind::Update);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "");  // a closed window reads as empty
}

}  // namespace

namespace {

// What the screen shows of a control's client area, pixel for pixel.
std::vector<COLORREF> Shown(HWND control) {
  RECT rc;
  GetClientRect(control, &rc);
  HDC dc = GetDC(control);
  std::vector<COLORREF> out;
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) out.push_back(GetPixel(dc, x, y));
  ReleaseDC(control, dc);
  return out;
}

// The ticked two-line check box, drawn again as the user turns the pages and the focus
// comes and goes, shows what it shows when first drawn on a blank window: its caption
// once, not bold from being drawn over itself, and no focus rectangle left behind.
TEST(WrappedCheckBox, RepaintsCleanlyAfterPageChanges) {
  MainWindowFixture window;
  const HWND main = window.Handle();
  HWND check = HandleOf("选择框1");
  HWND tab = HandleOf("置顶选择1");
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
  M<MainCtl::选择框1>().SetChecked(true);
  auto drawnAfresh = [&] {
    ShowWindow(main, SW_HIDE);
    ShowWindow(main, SW_SHOW);
    PumpFor(300);
    return Shown(check);
  };
  struct Case {
    const char* what;
    bool focused;
  };
  for (const Case& c : {Case{"without the focus", false}, Case{"with the focus", true}}) {
    SCOPED_TRACE(c.what);
    SetFocus(c.focused ? check : tab);
    const std::vector<COLORREF> fresh = drawnAfresh();
    for (int page : {0, 1, 3, 2, 3}) {
      SetFocus(tab);
      SendMessageW(tab, TCM_SETCURFOCUS, page, 0);
      PumpFor(100);
      if (c.focused) SetFocus(check);
      PumpFor(100);
    }
    EXPECT_TRUE(Shown(check) == fresh) << "drawn over what an earlier paint left";
  }
}

}  // namespace
