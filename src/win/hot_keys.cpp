// Key combinations a form holds system-wide (HotKey rows): registered with the form's
// window when the form is built, so that the system posts WM_HOTKEY to it whichever
// program has the focus, and released when the window goes.
#include <windows.h>

#include <optional>
#include <string_view>

#include "win/form.h"

#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif

namespace ui_internal {
namespace {

struct KeyCombination {
  UINT modifiers;
  UINT key;
};

// "Ctrl+Alt+P", "Ctrl+Alt+Right": modifiers, then one letter, digit or arrow key.
std::optional<KeyCombination> ParseKeyCombination(std::string_view text) {
  static const struct {
    std::string_view name;
    UINT modifier;
  } kModifiers[] = {{"Ctrl", MOD_CONTROL}, {"Alt", MOD_ALT}, {"Shift", MOD_SHIFT}, {"Win", MOD_WIN}};
  static const struct {
    std::string_view name;
    UINT key;
  } kKeys[] = {{"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Up", VK_UP}, {"Down", VK_DOWN}};
  KeyCombination combination{0, 0};
  while (true) {
    const size_t plus = text.find('+');
    const std::string_view part = text.substr(0, plus);
    if (plus == std::string_view::npos) {
      for (const auto& k : kKeys)
        if (part == k.name) combination.key = k.key;
      if (part.size() == 1 && ((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= '0' && part[0] <= '9')))
        combination.key = static_cast<UINT>(part[0]);
      if (combination.key == 0) return std::nullopt;
      return combination;
    }
    UINT modifier = 0;
    for (const auto& m : kModifiers)
      if (part == m.name) modifier = m.modifier;
    if (modifier == 0) return std::nullopt;
    combination.modifiers |= modifier;
    text.remove_prefix(plus + 1);
  }
}

}  // namespace

void HoldHotKey(Form& f, int index) {
  const std::optional<KeyCombination> combination = ParseKeyCombination(f.layout.controls[index].text);
  if (!combination) return;
  const int id = static_cast<int>(kControlIdBase) + index;
  // Held down, a combination is one press, not a burst of them. Systems before Windows 7
  // know no such flag and refuse it; they get the plain combination.
  bool held = RegisterHotKey(f.hwnd, id, combination->modifiers | MOD_NOREPEAT, combination->key);
  if (!held && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED)
    held = RegisterHotKey(f.hwnd, id, combination->modifiers, combination->key);
  f.hotKeysHeld[static_cast<size_t>(index)] = held;
}

void LetGoOfHotKeys(Form& f) {
  for (size_t i = 0; i < f.hotKeysHeld.size(); ++i) {
    if (!f.hotKeysHeld[i]) continue;
    UnregisterHotKey(f.hwnd, static_cast<int>(kControlIdBase + i));
    f.hotKeysHeld[i] = false;
  }
}

}  // namespace ui_internal

bool HotKey::Held() const {
  Form* f = LiveForm();
  return f && f->hotKeysHeld[static_cast<size_t>(index_)];
}
