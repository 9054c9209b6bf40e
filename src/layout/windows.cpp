#include "layout/windows.h"

const WindowLayout* const kWindowLayouts[kWindowKinds] = {&kMainWindowLayout, &kUpdateWindowLayout,
                                                          &kPickerWindowLayout};
