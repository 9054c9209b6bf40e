// The main window as the user gets it: every control read back from the real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "layout/program_windows.h"
#include "build_settings.h"
#include "support/win_test_support.h"

namespace {

struct Expected {
  const char* name;
  const char* cls;
  int x, y, w, h;
  const char* text;  // nullptr: not compared
};

// The layout, written out again from the tool's design, control by control.
const Expected kExpected[] = {
    {"分组框1", "Button", 0, 0, 480, 48, ""},
    {"画板_捕获器", "RavoDrawingBoard", 8, 8, 32, 32, nullptr},
    {"标签1", "Static", 48, 10, 160, 32, "←拖动到要字幕的地方\r\n(昵称处或者需要字幕的地方)"},
    {"选择框1", "Button", 208, 16, 80, 24, "字幕完毕后恢复马甲"},
    {"编辑框6", "Edit", 296, 16, 176, 20, ""},
    {"置顶选择1", "SysTabControl32", 0, 48, 480, 448, nullptr},
    {"分组框4", "Button", 0, 24, 160, 384, "歌词列表"},
    {"文件框1", "ListBox", 3, 18, 149, 318, nullptr},
    {"超级列表框_歌词", "SysListView32", 160, 24, 312, 384, nullptr},
    {"超级按钮4", "Button", 0, 368, 152, 35, "播 放"},
    {"标签2", "Static", 0, 416, 48, 24, "歌词存放"},
    {"编辑框1", "Edit", 50, 416, 356, 24, nullptr},
    {"按钮2", "Button", 408, 416, 67, 24, "导入目录"},
    {"标签3", "Static", 8, 24, 32, 24, "歌名"},
    {"欲搜索内容", "Edit", 40, 24, 128, 25, ""},
    {"搜索歌词", "Button", 8, 48, 160, 23, "在线快速搜索歌词"},
    {"欲下载列表", "SysListView32", 8, 72, 160, 368, nullptr},
    {"歌词预览", "SysListView32", 170, 24, 302, 416, nullptr},
    {"标签4", "Static", 16, 480, 144, 24, "双击左侧列表直接下载\r\n左键单击列表预览歌词"},
    {"分组框7", "Button", 8, 32, 456, 96, "单行内容滚动器"},
    {"标签5", "Static", 8, 16, 64, 24, "滚动内容"},
    {"编辑框2", "Edit", 88, 16, 360, 24, ""},
    {"按钮1", "Button", 8, 48, 104, 24, "开始滚动"},
    {"标签6", "Static", 120, 48, 56, 24, "滚动速率"},
    {"编辑框3", "Edit", 184, 48, 46, 24, "500"},
    {"标签7", "Static", 232, 48, 30, 24, "毫秒"},
    {"标签8", "Static", 264, 48, 184, 24, "1000毫秒=1秒  不要太快以免卡住"},
    {"分组框6", "Button", 8, 128, 464, 312, "自定义内容广告牌"},
    {"超级列表框1", "SysListView32", 2, 16, 454, 216, nullptr},
    {"标签9", "Static", 2, 240, 24, 20, "内容"},
    {"编辑框4", "Edit", 32, 240, 232, 20, ""},
    {"按钮3", "Button", 272, 240, 96, 20, "添加一行广告词"},
    {"按钮4", "Button", 374, 240, 75, 20, "删除选中"},
    {"按钮5", "Button", 4, 272, 132, 24, "开始滚动"},
    {"标签13", "Static", 136, 272, 56, 24, "滚动速率"},
    {"编辑框5", "Edit", 192, 272, 48, 24, "1000"},
    {"标签11", "Static", 248, 272, 30, 24, "毫秒"},
    {"标签12", "Static", 272, 272, 182, 24, "1000毫秒=1秒  不要太快以免卡住"},
    {"标签21", "Static", 16, 48, 56, 24, "作者说明:"},
    {"标签24", "Static", 16, 88, 448, 120, nullptr},
    {"超级链接框1", "Static", 40, 248, 352, 24, "收听作者微博,支持作者"},
    {"按钮15", "Button", 32, 336, 400, 40, "下载更多Ravo语音社区-绿色辅助"},
};

int IndexOf(const std::string& name) {
  for (int i = 0; i < kMainWindowLayout.controlCount; ++i)
    if (name == kMainWindowLayout.controls[i].name) return i;
  return -1;
}

HWND HandleOf(const std::string& name) {
  const int i = IndexOf(name);
  return i < 0 ? nullptr : Control(WindowKind::Main, i).Handle();
}

std::string ClassOf(HWND h) {
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof(cls));
  return cls;
}

std::string TextOf(HWND h) {
  char text[1024] = {};
  GetWindowTextA(h, text, sizeof(text));
  return text;
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
};

std::vector<Column> ColumnsOf(HWND lv) {
  std::vector<Column> out;
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const int n = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char buf[256] = {};
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = buf;
    col.cchTextMax = sizeof(buf);
    SendMessageA(lv, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    out.push_back({buf, col.cx});
  }
  return out;
}

class MainWindowLayout : public ::testing::Test {
 protected:
  MainWindowFixture window;
};

TEST_F(MainWindowLayout, EveryControlHasItsClassRectangleAndCaption) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.name);
    HWND h = HandleOf(e.name);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(ClassOf(h), e.cls);
    const RECT rc = RectInParent(h);
    EXPECT_EQ(rc.left, e.x);
    EXPECT_EQ(rc.top, e.y);
    EXPECT_EQ(rc.right - rc.left, e.w);
    EXPECT_EQ(rc.bottom - rc.top, e.h);
    if (e.text) {
      EXPECT_EQ(TextOf(h), e.text);
    }
  }
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
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    // Lines as the control breaks them: at CR LF, and where the next character would
    // not fit (which takes a control that wraps).
    std::vector<std::string> lines;
    std::string rest = TextOf(h);
    while (!rest.empty()) {
      std::string line = rest.substr(0, rest.find("\r\n"));
      int fit = 0;
      SIZE size = {};
      GetTextExtentExPointA(dc, line.c_str(), static_cast<int>(line.size()), width, &fit, nullptr, &size);
      if (fit < static_cast<int>(line.size())) {
        if (fit > 0 && IsDBCSLeadByte(static_cast<BYTE>(line[fit - 1]))) --fit;  // no half characters
        ASSERT_GT(fit, 0);
        line.resize(fit);
      }
      lines.push_back(line);
      rest.erase(0, line.size());
      if (rest.rfind("\r\n", 0) == 0) rest.erase(0, 2);
    }
    int textWidth = 0;
    for (const std::string& line : lines) {
      SIZE size = {};
      GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
      textWidth = std::max<int>(textWidth, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(h, dc);

    const LONG style = GetWindowLongA(h, GWL_STYLE);
    if (lines.size() > 1 && ClassOf(h) == "Button") {
      EXPECT_TRUE(style & BS_MULTILINE) << "cut after one line";
    }
    EXPECT_LE(static_cast<int>(lines.size()) * tm.tmHeight, rc.bottom - rc.top) << lines.size() << " lines";
    EXPECT_LE(textWidth, width);

    RECT text = {rc.left + c.indent, rc.top, rc.left + c.indent + textWidth, rc.bottom};
    for (HWND above = GetWindow(h, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
      const RECT other = RectInParent(above);
      RECT both;
      const bool covers = (GetWindowLongA(above, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&both, &text, &other);
      EXPECT_FALSE(covers) << "covered by the sibling '" << TextOf(above) << "' above it";
    }
  }
}

TEST_F(MainWindowLayout, ControlsSitInTheirGroupBoxesAndPages) {
  HWND tab = HandleOf("置顶选择1");
  EXPECT_EQ(GetParent(HandleOf("文件框1")), HandleOf("分组框4"));
  EXPECT_EQ(GetParent(HandleOf("超级列表框1")), HandleOf("分组框6"));
  EXPECT_EQ(GetParent(HandleOf("编辑框2")), HandleOf("分组框7"));
  EXPECT_EQ(GetParent(HandleOf("画板_捕获器")), HandleOf("分组框1"));
  EXPECT_EQ(GetParent(HandleOf("超级列表框_歌词")), tab);
  EXPECT_EQ(GetParent(HandleOf("透明标签1")), HandleOf("分组框2"));
  EXPECT_EQ(GetParent(HandleOf("编辑框_窗口鼠标位置_X")), HandleOf("分组框3"));
}

TEST_F(MainWindowLayout, WindowTitlePositionSizeAndMenu) {
  RECT rc;
  GetWindowRect(window.Handle(), &rc);
  EXPECT_EQ(rc.left, 50);
  EXPECT_EQ(rc.top, 50);
  EXPECT_EQ(rc.right - rc.left, 487);
  EXPECT_EQ(rc.bottom - rc.top, 543);
  EXPECT_EQ(TextOf(window.Handle()), std::string("Ravo语音社区-Ravo字幕器v3.5 官网:") + RAVO_MAKER_ADDRESS);

  HMENU bar = GetMenu(window.Handle());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  char text[128] = {};
  GetMenuStringA(bar, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "本地歌词管理");
  HMENU sub = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(sub), 2);
  GetMenuStringA(sub, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "更新本地歌词");
  GetMenuStringA(sub, 1, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "添加指定目录");
}

TEST_F(MainWindowLayout, TabPagesInOrderWithPageFourShownAtStart) {
  HWND tab = HandleOf("置顶选择1");
  const char* captions[] = {"Ravo语音3.5马甲变歌词字幕器", "歌词快速搜索下载", "(自定义)滚动广告牌", "程序使用说明"};
  ASSERT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 4);
  for (int i = 0; i < 4; ++i) {
    char buf[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof(buf);
    SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(buf, captions[i]);
  }
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 3);
  EXPECT_TRUE(IsWindowVisible(HandleOf("按钮15")) || !IsWindowVisible(window.Handle()));
  EXPECT_TRUE(GetWindowLongA(HandleOf("按钮15"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(HandleOf("超级列表框_歌词"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(HandleOf("分组框7"), GWL_STYLE) & WS_VISIBLE);

  // A click on another tab shows that page's controls instead.
  SendMessageA(tab, TCM_SETCURFOCUS, 0, 0);
  EXPECT_TRUE(GetWindowLongA(HandleOf("超级列表框_歌词"), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(HandleOf("按钮15"), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainWindowLayout, ListViewColumnsWithHiddenTimeColumns) {
  struct Case {
    const char* list;
    std::vector<Column> columns;
  };
  const Case cases[] = {
      {"超级列表框_歌词", {{"时间(毫秒)", 0}, {"歌词", 230}}},
      {"欲下载列表", {{"歌曲", 90}, {"歌手", 50}}},
      {"歌词预览", {{"时间", 0}, {"歌词预览-单击预览-双击下载", 290}}},
      {"超级列表框1", {{"自定义广告内容", 450}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    HWND lv = HandleOf(c.list);
    EXPECT_TRUE(GetWindowLongA(lv, GWL_STYLE) & LVS_REPORT);
    const std::vector<Column> got = ColumnsOf(lv);
    ASSERT_EQ(got.size(), c.columns.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].caption, c.columns[i].caption);
      EXPECT_EQ(got[i].width, c.columns[i].width);
    }
  }
}

TEST_F(MainWindowLayout, HiddenStorageLiesOutsideTheVisibleArea) {
  RECT client;
  GetClientRect(window.Handle(), &client);
  for (const char* name : {"编辑框_窗口句柄", "分组框3", "分组框2", "预备下载内容", "编辑框8", "按钮10"}) {
    SCOPED_TRACE(name);
    HWND h = HandleOf(name);
    ASSERT_NE(h, nullptr);
    const RECT rc = RectInParent(h);
    EXPECT_GE(rc.left, 487);
  }
  EXPECT_EQ(TextOf(HandleOf("编辑框8")), "#32770");
  EXPECT_EQ(TextOf(HandleOf("编辑框_窗口句柄")), "");
  EXPECT_EQ(M<MainCtl::时钟_歌词播放>().TimerPeriod(), 0);
}

TEST_F(MainWindowLayout, ProgramFolderInEditBoxWhileFileListShowsCurrentFolder) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.resize(folder.find_last_of('\\'));
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), folder);

  char cwd[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);
  EXPECT_EQ(M<MainCtl::文件框1>().Folder(), cwd);
}

TEST(FileList, ListsTheLrcFilesOfTheCurrentFolderAtStart) {
  TempFolder dir;
  dir.Write("b.lrc", "x");
  dir.Write("A.LRC", "x");
  dir.Write("c.txt", "x");
  dir.Write("中文歌.lrc", "x");
  CreateDirectoryA((dir.Path() + "\\sub.lrc").c_str(), nullptr);
  char old[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, old);
  SetCurrentDirectoryA(dir.Path().c_str());
  {
    MainWindowFixture window;
    const std::vector<std::string> want = {"A.LRC", "b.lrc", "中文歌.lrc"};
    EXPECT_EQ(M<MainCtl::文件框1>().Entries(), want);
  }
  SetCurrentDirectoryA(old);
  RemoveDirectoryA((dir.Path() + "\\sub.lrc").c_str());
}

TEST(UpdateAndPickerWindows, LayoutsAsDesigned) {
  ui::LoadOptions options;
  options.show = false;
  HWND update = ui::LoadWindow(WindowKind::Update, options);
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(TextOf(update), "在线更新中请稍后");
  RECT rc;
  GetWindowRect(update, &rc);
  EXPECT_EQ(rc.right - rc.left, 248);
  EXPECT_EQ(rc.bottom - rc.top, 128);
  EXPECT_EQ(ClassOf(U<UpdateCtl::进度条>().Handle()), "msctls_progress32");
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "正在连接服务器....");
  const int ys[] = {23, 36, 50, 63, 78};
  const UpdateCtl labels[] = {UpdateCtl::下载进度, UpdateCtl::下载速度, UpdateCtl::已经下载, UpdateCtl::已用时间,
                              UpdateCtl::剩余时间};
  for (int i = 0; i < 5; ++i) {
    const RECT r = RectInParent(AnyControl(labels[i]).Handle());
    EXPECT_EQ(r.left, 6);
    EXPECT_EQ(r.top, ys[i]);
  }
  ui::DestroyWindowNow(WindowKind::Update);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "");  // a closed window reads as empty
}

}  // namespace
