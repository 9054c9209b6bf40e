// Layout of the update window.
#pragma once

#include "app/layout_row.h"

enum class UpdateCtl : int {
  进度条, 下载进度, 下载速度, 已经下载, 已用时间, 剩余时间, 时钟,
  // below the visible height
  按钮1,        // start the update download (disabled while it runs)
  按钮2,        // unused: "进入指定地点下载"
  超级链接框1,  // opens the maker's web site
  图片框1,      // unused picture box
  Count
};

extern const WindowSpec kUpdateWindowSpec;
