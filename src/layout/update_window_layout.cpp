#include "layout/update_window_layout.h"

const WindowLayout kUpdateWindowLayout = {"UpdateWindow", 50, 50, 248, 128, "在线更新中请稍后",
                                      update_layout::kUpdateControls, static_cast<int>(std::size(update_layout::kUpdateControls))};
