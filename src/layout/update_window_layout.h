// Layout of the update window.
#pragma once

#include "win/layout_row.h"

enum class UpdateCtl : int {
  进度条, 下载进度, 下载速度, 已经下载, 已用时间, 剩余时间, 时钟,
  按钮1, 按钮2, 超级链接框1, 图片框1,
  Count
};

extern const WindowLayout kUpdateWindowLayout;
