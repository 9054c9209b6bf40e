#include "layout/picker_window_layout.h"

#include "layout/layout_check.h"

namespace {

#define ROW(name) static_cast<int>(PickerCtl::name), #name

constexpr LayoutRow kPickerControls[] = {
    {ROW(画板1), ControlKind::DrawingBoard, kNoParent, 0, 0, 0, 31, 31, "", nullptr, 0, 0},
    {ROW(时钟1), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 2},
    {ROW(时钟2), ControlKind::Timer, kNoParent, 0, 0, 0, 0, 0, "", nullptr, 0, 100},
};

static_assert(RowsAreInEnumOrder(kPickerControls), "a row stands out of its enum order");
static_assert(std::size(kPickerControls) == static_cast<size_t>(PickerCtl::Count), "a control has no row");

}  // namespace

const WindowLayout kPickerWindowLayout = {"PickerWindow", 0, 0, 31, 31, "", kPickerControls,
                                      static_cast<int>(std::size(kPickerControls)), true};
