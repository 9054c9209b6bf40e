// The program's three windows and their controls by name. Handlers address a control
// as M(MainCtl::<name>), U(UpdateCtl::<name>) or P(PickerCtl::<name>).
#pragma once

#include "layout/main_window_layout.h"
#include "layout/picker_window_layout.h"
#include "layout/update_window_layout.h"
#include "win/window_layer.h"

enum class WindowKind : int { Main, Update, Picker };
constexpr int kWindowKinds = 3;

// The layouts by WindowKind, as the window layer is given them.
extern const WindowLayout* const kWindowLayouts[kWindowKinds];

inline Control M(MainCtl c) { return Control(WindowKind::Main, static_cast<int>(c)); }
inline Control U(UpdateCtl c) { return Control(WindowKind::Update, static_cast<int>(c)); }
inline Control P(PickerCtl c) { return Control(WindowKind::Picker, static_cast<int>(c)); }
