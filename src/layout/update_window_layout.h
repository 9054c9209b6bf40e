// Layout of the update window.
#pragma once

#include "layout/layout_check.h"
#include "win/layout_row.h"

enum class UpdateCtl : int {
  进度条, 下载进度, 下载速度, 已经下载, 已用时间, 剩余时间, 时钟,
  // below the visible height
  按钮1,        // start the update download (disabled while it runs)
  按钮2,        // unused: "进入指定地点下载"
  超级链接框1,  // opens the maker's web site
  图片框1,      // unused picture box
  Count
};

// Without the build's texts, which ProgramLayouts (layout/program_windows.h) puts in.
extern const WindowLayout kUpdateWindowLayout;

// The rows, in enum order; the kind of each row gives its control its type.
namespace update_layout {

#define LAYOUT_ROW(name) static_cast<int>(UpdateCtl::name), #name

// The buttons, the hyperlink and the picture lie below the window's visible height.
inline constexpr LayoutRow kUpdateControls[] = {
    {LAYOUT_ROW(进度条), ControlKind::ProgressBar, kNoParent, 0, 2, 4, 238, 13, "", nullptr, 0, 0},
    {LAYOUT_ROW(下载进度), ControlKind::Label, kNoParent, 0, 6, 23, 232, 13, "正在连接服务器....", nullptr, 0, 0},
    {LAYOUT_ROW(下载速度), ControlKind::Label, kNoParent, 0, 6, 36, 232, 13, "下载速度:", nullptr, 0, 0},
    {LAYOUT_ROW(已经下载), ControlKind::Label, kNoParent, 0, 6, 50, 232, 13, "已经下载:", nullptr, 0, 0},
    {LAYOUT_ROW(已用时间), ControlKind::Label, kNoParent, 0, 6, 63, 232, 13, "已用时间:", nullptr, 0, 0},
    {LAYOUT_ROW(剩余时间), ControlKind::Label, kNoParent, 0, 6, 78, 232, 13, "剩余时间:", nullptr, 0, 0},
    {LAYOUT_ROW(时钟), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 0},
    {LAYOUT_ROW(按钮1), ControlKind::Button, kNoParent, 0, 3, 175, 160, 24, "在线下载更新", nullptr, 0, 0},
    {LAYOUT_ROW(按钮2), ControlKind::Button, kNoParent, 0, 176, 176, 64, 24, "进入指定地点下载", nullptr, 0, 0},
    // The maker's address, as the build gives it (ProgramLayouts).
    {LAYOUT_ROW(超级链接框1), ControlKind::Hyperlink, kNoParent, 0, 8, 176, 160, 18, "", nullptr, 0, 0, nullptr},
    {LAYOUT_ROW(图片框1), ControlKind::PictureBox, kNoParent, 0, 16, 239, 64, 64, "", nullptr, 0, 0},
};

static_assert(RowsAreInEnumOrder(kUpdateControls), "a row stands out of its enum order");
static_assert(std::size(kUpdateControls) == static_cast<size_t>(UpdateCtl::Count), "a control has no row");

#undef LAYOUT_ROW
#undef LAYOUT_IN
}  // namespace update_layout
