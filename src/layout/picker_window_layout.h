// Layout of the picker window that follows the cursor during a pick.
#pragma once

#include "win/layout_row.h"

enum class PickerCtl : int { 画板1, 时钟1, 时钟2, Count };

extern const WindowLayout kPickerWindowLayout;
