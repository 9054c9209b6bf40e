// The program's three windows and their controls by name. Handlers address a control
// as M<MainCtl::<name>>(), U<UpdateCtl::<name>>() or P<PickerCtl::<name>>(); its type is
// that of its row's kind (win/controls.h), so a call the kind does not offer does not
// compile.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "layout/main_window_layout.h"
#include "layout/picker_window_layout.h"
#include "layout/update_window_layout.h"
#include "win/window_layer.h"

enum class WindowKind : int { Main, Update, Picker };
constexpr int kWindowKinds = 3;

// What the windows show that the build decides: the maker's address (in the main
// window's title, the notes of page 4 and the update window's link), the address the
// microblog link opens and the page the web control shows (empty: none).
struct BuildTexts {
  std::string makerAddress;
  std::string microblogUrl;
  std::string makerPage;
};

// The three layouts with the build's texts in place, by WindowKind, as the window layer
// is given them; they live as long as this object.
class ProgramLayouts {
 public:
  explicit ProgramLayouts(const BuildTexts& texts);
  ProgramLayouts(const ProgramLayouts&) = delete;
  ProgramLayouts& operator=(const ProgramLayouts&) = delete;

  const WindowLayout* const* All() const { return layouts_.data(); }
  const WindowLayout& Of(WindowKind kind) const { return *layouts_[static_cast<size_t>(kind)]; }

 private:
  const std::string mainTitle_, notes_, makerLink_, makerLinkTarget_, microblogUrl_, makerPage_;
  std::vector<LayoutRow> mainRows_, updateRows_;
  WindowLayout main_, update_;
  std::array<const WindowLayout*, kWindowKinds> layouts_;
};

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
