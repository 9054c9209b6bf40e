// Layout of the main window: every control by name. Handlers address controls as
// MainCtl::<name>; the table row of a control is at the index of its enum value.
#pragma once

#include "win/layout_row.h"

enum class MainCtl : int {
  // top strip
  分组框1, 画板_捕获器, 标签1, 选择框1, 编辑框6,
  // tab control and its pages
  置顶选择1,
  分组框4, 文件框1, 超级列表框_歌词, 超级按钮4, 标签2, 编辑框1, 按钮2,
  标签3, 欲搜索内容, 搜索歌词, 欲下载列表, 歌词预览, 标签4,
  分组框7, 标签5, 编辑框2, 按钮1, 标签6, 编辑框3, 标签7, 标签8,
  分组框6, 超级列表框1, 标签9, 编辑框4, 按钮3, 按钮4, 按钮5, 标签13, 编辑框5, 标签11, 标签12,
  标签21, 标签24, 超级链接框1, 按钮15,
  // outside the visible area: named storage and unused controls
  编辑框_窗口句柄,
  分组框3, 标签_窗口鼠标位置_X, 编辑框_窗口鼠标位置_X, 标签_窗口鼠标位置_Y, 编辑框_窗口鼠标位置_Y,
  标签_鼠标位置_X, 编辑框_鼠标位置_X, 标签_鼠标位置_Y, 编辑框_鼠标位置_Y,
  分组框2, 透明标签1,
  预备下载内容,
  时钟_歌词播放,
  超文本浏览框1,
  标签17, 编辑框8, 标签18, 编辑框9, 按钮10, 编辑框11, 编辑框12, 对话框,
  // menu bar
  本地歌词管理, 更新本地歌词, 添加指定目录,
  Count
};

extern const WindowLayout kMainWindowLayout;
