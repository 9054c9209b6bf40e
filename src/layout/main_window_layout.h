// Layout of the main window: every control by name. Handlers address controls as
// MainCtl::<name>; the table row of a control is at the index of its enum value.
#pragma once

#include "layout/layout_check.h"
#include "win/layout_row.h"

enum class MainCtl : int {
  // top strip
  分组框1,  // frame of the top strip
  画板_捕获器,
  标签1,    // help: drag the board onto the place to subtitle
  选择框1,  // restore the nickname when the subtitles end
  编辑框6,  // the user's own nickname to restore
  // tab control and its pages
  置顶选择1,  // the tab control of the four pages
  // page 1: local lyrics and playback
  分组框4,    // frame of the lyric file list
  文件框1,    // lyric files of the lyrics folder
  选择框2,    // follow the music player instead of the song's own clock
  超级列表框_歌词,
  超级按钮4,  // playback play/stop ("播 放" / "停 止")
  标签2,      // label of the lyrics folder box
  编辑框1,    // lyrics folder path (the program's folder at start)
  按钮2,      // choose the lyrics folder
  // page 2: online lyric search
  标签3,      // label of the search box
  欲搜索内容, 搜索歌词, 欲下载列表, 歌词预览,
  标签4,      // help: double-click to download, click to preview (below the page)
  // page 3: scroller and billboard
  分组框7,    // frame of the single-line scroller
  标签5,      // label of the scroller text
  编辑框2,    // scroller text
  按钮1,      // scroller start/stop
  标签6,      // label of the scroller period
  编辑框3,    // scroller period in ms
  标签7,      // "ms" after the scroller period
  标签8,      // hint: not too fast (scroller)
  分组框6,    // frame of the billboard
  超级列表框1,  // billboard lines
  标签9,      // label of the line to add
  编辑框4,    // billboard line to add
  按钮3,      // add the line to the billboard
  按钮4,      // delete the selected billboard line
  按钮5,      // billboard start/stop
  标签13,     // label of the billboard period
  编辑框5,    // billboard period in ms
  标签11,     // "ms" after the billboard period
  标签12,     // hint: not too fast (billboard)
  // page 4: about
  标签21,       // title of the author's notes
  标签24,       // the author's notes
  超级链接框1,  // opens the author's microblog page
  按钮15,       // opens the maker's web site
  标签25,       // the how-to in three steps
  // outside the visible area: a display nobody sees and unused controls
  分组框2,     // frame of 透明标签1
  透明标签1,   // loaded lyric file name or picked window title
  时钟_歌词播放,
  时钟_单行滚动,  // the scroller's step timer
  时钟_广告牌,    // the billboard's step timer
  时钟_热键,      // a hot key's action waiting for the modifiers to be let go
  超文本浏览框1,  // web browser: loads the maker's web site at start, nothing else
  标签17,    // unused: label "窗口类名："
  编辑框8,   // unused: window class name "#32770"
  标签18,    // unused: label "窗口标题："
  编辑框9,   // unused: window title
  按钮10,    // unused: button "枚举"
  编辑框11,  // unused
  编辑框12,  // unused
  对话框,
  // menu bar
  本地歌词管理, 更新本地歌词, 添加指定目录,
  // hot keys, held system-wide: lyrics started, stopped and nudged from another program
  热键_播放停止,  // as the play/stop button
  热键_提前,      // the lines not yet written 0.5 s earlier
  热键_推后,      // the lines not yet written 0.5 s later
  热键_下一句,    // the next line now, the following ones keeping their spacing
  Count
};

// Without the build's texts, which ProgramLayouts (layout/program_windows.h) puts in.
extern const WindowLayout kMainWindowLayout;

// The rows, in enum order; the kind of each row gives its control its type.
namespace main_layout {

#define LAYOUT_ROW(name) static_cast<int>(MainCtl::name), #name
#define LAYOUT_IN(parent) static_cast<int>(MainCtl::parent)

inline constexpr ColumnRow kLyricColumns[] = {{"时间(毫秒)", 0}, {"歌词", 230}};
inline constexpr ColumnRow kResultColumns[] = {{"歌曲", 90}, {"歌手", 50}};
inline constexpr ColumnRow kPreviewColumns[] = {{"时间", 0}, {"歌词预览-单击预览-双击下载", 290}};
inline constexpr ColumnRow kBillboardColumns[] = {{"自定义广告内容", 450}};

// The notes end with the maker's address, which the build gives (ProgramLayouts).
inline constexpr const char kNotesLead[] =
    "第一次制作此程序，可能做的比较粗糙 除花式字幕功能外，其他基本已经完善\r\n"
    "\r\n"
    "花式字幕使用可能会有一点麻烦，相信以后会改进的。\r\n"
    "\r\n"
    "                    \r\n"
    "                    官网:Ravo语音社区\r\n"
    "                    官方网址:";

// The scroller and the billboard wait at least 200 ms (billboard/scroll_text.h).
inline constexpr const char kHint[] = "至少200毫秒，每秒最多5次";

// Page 4, under the notes: what a first run needs.
inline constexpr const char kHowTo[] =
    "使用方法：\r\n"
    "1. 把左上角的准星拖到聊天程序的昵称框上；\r\n"
    "2. 在第一页的歌词列表里选一首歌词；\r\n"
    "3. 按“播 放”，或勾选“跟随播放器”后在播放器里放这首歌。";

// Controls outside the visible area start right of the 487-pixel wide window.
inline constexpr int kOff = 520;

inline constexpr LayoutRow kMainControls[] = {
    {LAYOUT_ROW(分组框1), ControlKind::GroupBox, kNoParent, 0, 0, 0, 480, 48, "", nullptr, 0, 0},
    {LAYOUT_ROW(画板_捕获器), ControlKind::DrawingBoard, LAYOUT_IN(分组框1), 0, 8, 8, 32, 32, "", nullptr, 0, 0},
    {LAYOUT_ROW(标签1), ControlKind::Label, LAYOUT_IN(分组框1), 0, 48, 10, 160, 32,
     "←拖动到要字幕的地方\r\n(昵称处或者需要字幕的地方)", nullptr, 0, 0},
    {LAYOUT_ROW(选择框1), ControlKind::CheckBox, LAYOUT_IN(分组框1), 0, 208, 16, 80, 24, "字幕完毕后恢复马甲", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框6), ControlKind::Edit, LAYOUT_IN(分组框1), 0, 296, 16, 176, 20, "", nullptr, 0, 0},

    {LAYOUT_ROW(置顶选择1), ControlKind::TabControl, kNoParent, 0, 0, 48, 480, 448,
     "Ravo语音3.5马甲变歌词字幕器\n歌词快速搜索下载\n(自定义)滚动广告牌\n程序使用说明", nullptr, 0, 0},

    // page 1
    {LAYOUT_ROW(分组框4), ControlKind::GroupBox, LAYOUT_IN(置顶选择1), 1, 0, 24, 160, 384, "歌词列表", nullptr, 0, 0},
    {LAYOUT_ROW(文件框1), ControlKind::FileList, LAYOUT_IN(分组框4), 0, 3, 18, 149, 294, "*.lrc", nullptr, 0, 0},
    {LAYOUT_ROW(选择框2), ControlKind::CheckBox, LAYOUT_IN(分组框4), 0, 3, 314, 149, 20, "跟随播放器", nullptr, 0, 0},
    {LAYOUT_ROW(超级列表框_歌词), ControlKind::VirtualListView, LAYOUT_IN(置顶选择1), 1, 160, 24, 312, 384, "", kLyricColumns, 2, 0},
    {LAYOUT_ROW(超级按钮4), ControlKind::ImageButton, LAYOUT_IN(置顶选择1), 1, 0, 368, 152, 35, "播 放", nullptr, 0, 0},
    {LAYOUT_ROW(标签2), ControlKind::Label, LAYOUT_IN(置顶选择1), 1, 0, 416, 48, 24, "歌词存放", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框1), ControlKind::Edit, LAYOUT_IN(置顶选择1), 1, 50, 416, 356, 24, "", nullptr, 0, 0},
    {LAYOUT_ROW(按钮2), ControlKind::Button, LAYOUT_IN(置顶选择1), 1, 408, 416, 67, 24, "导入目录", nullptr, 0, 0},

    // page 2
    {LAYOUT_ROW(标签3), ControlKind::Label, LAYOUT_IN(置顶选择1), 2, 8, 24, 32, 24, "歌名", nullptr, 0, 0},
    {LAYOUT_ROW(欲搜索内容), ControlKind::Edit, LAYOUT_IN(置顶选择1), 2, 40, 24, 128, 25, "", nullptr, 0, 0},
    {LAYOUT_ROW(搜索歌词), ControlKind::Button, LAYOUT_IN(置顶选择1), 2, 8, 48, 160, 23, "在线快速搜索歌词", nullptr, 0, 0},
    {LAYOUT_ROW(欲下载列表), ControlKind::ListView, LAYOUT_IN(置顶选择1), 2, 8, 72, 160, 368, "", kResultColumns, 2, 0},
    {LAYOUT_ROW(歌词预览), ControlKind::VirtualListView, LAYOUT_IN(置顶选择1), 2, 170, 24, 302, 416, "", kPreviewColumns, 2, 0},
    {LAYOUT_ROW(标签4), ControlKind::Label, LAYOUT_IN(置顶选择1), 2, 16, 480, 144, 24,
     "双击左侧列表直接下载\r\n左键单击列表预览歌词", nullptr, 0, 0},

    // page 3
    {LAYOUT_ROW(分组框7), ControlKind::GroupBox, LAYOUT_IN(置顶选择1), 3, 8, 32, 456, 96, "单行内容滚动器", nullptr, 0, 0},
    {LAYOUT_ROW(标签5), ControlKind::Label, LAYOUT_IN(分组框7), 0, 8, 16, 64, 24, "滚动内容", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框2), ControlKind::Edit, LAYOUT_IN(分组框7), 0, 88, 16, 360, 24, "", nullptr, 0, 0},
    {LAYOUT_ROW(按钮1), ControlKind::Button, LAYOUT_IN(分组框7), 0, 8, 48, 104, 24, "开始滚动", nullptr, 0, 0},
    {LAYOUT_ROW(标签6), ControlKind::Label, LAYOUT_IN(分组框7), 0, 120, 48, 56, 24, "滚动速率", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框3), ControlKind::Edit, LAYOUT_IN(分组框7), 0, 184, 48, 46, 24, "500", nullptr, 0, 0},
    {LAYOUT_ROW(标签7), ControlKind::Label, LAYOUT_IN(分组框7), 0, 232, 48, 30, 24, "毫秒", nullptr, 0, 0},
    {LAYOUT_ROW(标签8), ControlKind::Label, LAYOUT_IN(分组框7), 0, 264, 48, 184, 24, kHint, nullptr, 0, 0},
    {LAYOUT_ROW(分组框6), ControlKind::GroupBox, LAYOUT_IN(置顶选择1), 3, 8, 128, 464, 312, "自定义内容广告牌", nullptr, 0, 0},
    {LAYOUT_ROW(超级列表框1), ControlKind::ListView, LAYOUT_IN(分组框6), 0, 2, 16, 454, 216, "", kBillboardColumns, 1, 0},
    {LAYOUT_ROW(标签9), ControlKind::Label, LAYOUT_IN(分组框6), 0, 2, 240, 24, 20, "内容", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框4), ControlKind::Edit, LAYOUT_IN(分组框6), 0, 32, 240, 232, 20, "", nullptr, 0, 0},
    {LAYOUT_ROW(按钮3), ControlKind::Button, LAYOUT_IN(分组框6), 0, 272, 240, 96, 20, "添加一行广告词", nullptr, 0, 0},
    {LAYOUT_ROW(按钮4), ControlKind::Button, LAYOUT_IN(分组框6), 0, 374, 240, 75, 20, "删除选中", nullptr, 0, 0},
    {LAYOUT_ROW(按钮5), ControlKind::Button, LAYOUT_IN(分组框6), 0, 4, 272, 132, 24, "开始滚动", nullptr, 0, 0},
    {LAYOUT_ROW(标签13), ControlKind::Label, LAYOUT_IN(分组框6), 0, 136, 272, 56, 24, "滚动速率", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框5), ControlKind::Edit, LAYOUT_IN(分组框6), 0, 192, 272, 48, 24, "1000", nullptr, 0, 0},
    {LAYOUT_ROW(标签11), ControlKind::Label, LAYOUT_IN(分组框6), 0, 248, 272, 30, 24, "毫秒", nullptr, 0, 0},
    {LAYOUT_ROW(标签12), ControlKind::Label, LAYOUT_IN(分组框6), 0, 272, 272, 182, 24, kHint, nullptr, 0, 0},

    // page 4
    {LAYOUT_ROW(标签21), ControlKind::Label, LAYOUT_IN(置顶选择1), 4, 16, 48, 56, 24, "作者说明:", nullptr, 0, 0},
    {LAYOUT_ROW(标签24), ControlKind::Label, LAYOUT_IN(置顶选择1), 4, 16, 88, 448, 120, kNotesLead, nullptr, 0, 0},
    {LAYOUT_ROW(超级链接框1), ControlKind::Hyperlink, LAYOUT_IN(置顶选择1), 4, 40, 248, 352, 24, "收听作者微博,支持作者",
     nullptr, 0, 0, nullptr},  // the build's microblog address (ProgramLayouts)
    {LAYOUT_ROW(按钮15), ControlKind::Button, LAYOUT_IN(置顶选择1), 4, 32, 336, 400, 40, "下载更多Ravo语音社区-绿色辅助",
     nullptr, 0, 0},
    {LAYOUT_ROW(标签25), ControlKind::Label, LAYOUT_IN(置顶选择1), 4, 16, 380, 448, 64, kHowTo, nullptr, 0, 0},

    // outside the visible area
    {LAYOUT_ROW(分组框2), ControlKind::GroupBox, kNoParent, 0, kOff, 160, 200, 48, "", nullptr, 0, 0},
    {LAYOUT_ROW(透明标签1), ControlKind::TransparentLabel, LAYOUT_IN(分组框2), 0, 6, 16, 188, 24, "", nullptr, 0, 0},
    {LAYOUT_ROW(时钟_歌词播放), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},
    {LAYOUT_ROW(时钟_单行滚动), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},
    {LAYOUT_ROW(时钟_广告牌), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},
    {LAYOUT_ROW(时钟_热键), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},
    // The maker's page over HTTPS only (win/web_page.h), as the build gives it
    // (ProgramLayouts); empty: none.
    {LAYOUT_ROW(超文本浏览框1), ControlKind::WebBrowser, kNoParent, 0, kOff, 244, 200, 150, "", nullptr, 0, 0},
    {LAYOUT_ROW(标签17), ControlKind::Label, kNoParent, 0, kOff, 400, 64, 20, "窗口类名：", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框8), ControlKind::Edit, kNoParent, 0, kOff + 70, 400, 120, 20, "#32770", nullptr, 0, 0},
    {LAYOUT_ROW(标签18), ControlKind::Label, kNoParent, 0, kOff, 424, 64, 20, "窗口标题：", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框9), ControlKind::Edit, kNoParent, 0, kOff + 70, 424, 120, 20, "", nullptr, 0, 0},
    {LAYOUT_ROW(按钮10), ControlKind::Button, kNoParent, 0, kOff, 448, 64, 24, "枚举", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框11), ControlKind::Edit, kNoParent, 0, kOff + 70, 448, 120, 20, "", nullptr, 0, 0},
    {LAYOUT_ROW(编辑框12), ControlKind::Edit, kNoParent, 0, kOff + 70, 472, 120, 20, "", nullptr, 0, 0},
    {LAYOUT_ROW(对话框), ControlKind::CommonDialog, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},

    {LAYOUT_ROW(本地歌词管理), ControlKind::Menu, kNoParent, 0, 0, 0, 0, 0, "本地歌词管理", nullptr, 0, 0},
    {LAYOUT_ROW(更新本地歌词), ControlKind::MenuItem, LAYOUT_IN(本地歌词管理), 0, 0, 0, 0, 0, "更新本地歌词", nullptr, 0, 0},
    {LAYOUT_ROW(添加指定目录), ControlKind::MenuItem, LAYOUT_IN(本地歌词管理), 0, 0, 0, 0, 0, "添加指定目录", nullptr, 0, 0},

    {LAYOUT_ROW(热键_播放停止), ControlKind::HotKey, kNoParent, 0, 0, 0, 0, 0, "Ctrl+Alt+P", nullptr, 0, 0},
    {LAYOUT_ROW(热键_提前), ControlKind::HotKey, kNoParent, 0, 0, 0, 0, 0, "Ctrl+Alt+Right", nullptr, 0, 0},
    {LAYOUT_ROW(热键_推后), ControlKind::HotKey, kNoParent, 0, 0, 0, 0, 0, "Ctrl+Alt+Left", nullptr, 0, 0},
    {LAYOUT_ROW(热键_下一句), ControlKind::HotKey, kNoParent, 0, 0, 0, 0, 0, "Ctrl+Alt+Down", nullptr, 0, 0},
};

static_assert(RowsAreInEnumOrder(kMainControls), "a row stands out of its enum order");
static_assert(std::size(kMainControls) == static_cast<size_t>(MainCtl::Count), "a control has no row");

#undef LAYOUT_ROW
#undef LAYOUT_IN
}  // namespace main_layout
