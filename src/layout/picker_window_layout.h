// Layout of the picker window that follows the cursor during a pick.
#pragma once

#include "layout/layout_check.h"
#include "win/layout_row.h"

enum class PickerCtl : int {
  画板1,  // the picker icon that follows the cursor
  Count
};

extern const WindowLayout kPickerWindowLayout;

// The rows, in enum order; the kind of each row gives its control its type.
namespace picker_layout {

#define LAYOUT_ROW(name) static_cast<int>(PickerCtl::name), #name

inline constexpr LayoutRow kPickerControls[] = {
    {LAYOUT_ROW(画板1), ControlKind::DrawingBoard, kNoParent, 0, 0, 0, 31, 31, "", nullptr, 0, 0},
};

static_assert(RowsAreInEnumOrder(kPickerControls), "a row stands out of its enum order");
static_assert(std::size(kPickerControls) == static_cast<size_t>(PickerCtl::Count), "a control has no row");

#undef LAYOUT_ROW
#undef LAYOUT_IN
}  // namespace picker_layout
