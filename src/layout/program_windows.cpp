#include "layout/program_windows.h"

const WindowLayout* const kWindowLayouts[kWindowKinds] = {&kMainWindowLayout, &kUpdateWindowLayout,
                                                          &kPickerWindowLayout};
