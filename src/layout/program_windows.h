// The program's three windows and their controls by name. Handlers address a control
// as M<MainCtl::<name>>(), U<UpdateCtl::<name>>() or P<PickerCtl::<name>>(); its type is
// that of its row's kind (win/controls.h), so a call the kind does not offer does not
// compile.
#pragma once

#include "layout/main_window_layout.h"
#include "layout/picker_window_layout.h"
#include "layout/update_window_layout.h"
#include "win/window_layer.h"

enum class WindowKind : int { Main, Update, Picker };
constexpr int kWindowKinds = 3;

// The layouts by WindowKind, as the window layer is given them.
extern const WindowLayout* const kWindowLayouts[kWindowKinds];

template <MainCtl C>
constexpr auto M() {
  return ControlType<main_layout::kMainControls[static_cast<int>(C)].kind>(WindowKind::Main, static_cast<int>(C));
}
template <UpdateCtl C>
constexpr auto U() {
  return ControlType<update_layout::kUpdateControls[static_cast<int>(C)].kind>(WindowKind::Update,
                                                                              static_cast<int>(C));
}
template <PickerCtl C>
constexpr auto P() {
  return ControlType<picker_layout::kPickerControls[static_cast<int>(C)].kind>(WindowKind::Picker,
                                                                              static_cast<int>(C));
}

// A control chosen at run time, as any control: its window, row and visibility.
inline Control AnyControl(MainCtl c) { return Control(WindowKind::Main, static_cast<int>(c)); }
inline Control AnyControl(UpdateCtl c) { return Control(WindowKind::Update, static_cast<int>(c)); }
inline Control AnyControl(PickerCtl c) { return Control(WindowKind::Picker, static_cast<int>(c)); }
