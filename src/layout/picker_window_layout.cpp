#include "layout/picker_window_layout.h"

#include "layout/layout_check.h"

const WindowLayout kPickerWindowLayout = {"PickerWindow", 0, 0, 31, 31, "", picker_layout::kPickerControls,
                                      static_cast<int>(std::size(picker_layout::kPickerControls)), true};
