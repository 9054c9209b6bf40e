#include "layout/main_window_layout.h"

const WindowLayout kMainWindowLayout = {
    "MainWindow", 50, 50, 487, 543, "Ravo语音社区-Ravo字幕器v3.5 官网:",
    main_layout::kMainControls, static_cast<int>(std::size(main_layout::kMainControls))};
