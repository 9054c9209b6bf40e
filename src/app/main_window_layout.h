// Layout of the main window: every control by name. Handlers address controls as
// MainCtl::<name>; the table row of a control is at the index of its enum value.
#pragma once

#include "app/layout_row.h"

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
  // outside the visible area: named storage and unused controls
  编辑框_窗口句柄,
  分组框3,  // frame of the cursor positions the picker writes
  标签_窗口鼠标位置_X, 编辑框_窗口鼠标位置_X, 标签_窗口鼠标位置_Y, 编辑框_窗口鼠标位置_Y,
  标签_鼠标位置_X, 编辑框_鼠标位置_X, 标签_鼠标位置_Y, 编辑框_鼠标位置_Y,
  分组框2,     // frame of 透明标签1
  透明标签1,   // loaded lyric file name or picked window title
  预备下载内容,
  时钟_歌词播放,
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
  Count
};

extern const WindowSpec kMainWindowSpec;
