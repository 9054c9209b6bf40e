// Layout of the picker window that follows the cursor during a pick.
#pragma once

#include "app/layout_row.h"

enum class PickerCtl : int {
  画板1,  // the picker icon that follows the cursor
  时钟1,  // every 2 ms: moves the window to the cursor
  时钟2,  // every 100 ms: finds the window under the cursor
  Count
};

extern const WindowSpec kPickerWindowSpec;
