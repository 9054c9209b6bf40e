// Layout of the picker window that follows the cursor during a pick.
#pragma once

#include "app/control_spec.h"

enum class PickerCtl : int { 画板1, 时钟1, 时钟2, Count };

extern const WindowSpec kPickerWindowSpec;
