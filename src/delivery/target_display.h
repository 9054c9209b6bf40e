// What the tool shows of the window a pick chose, so that the user sees where the lines
// will go: the help beside the crosshair (标签1) keeps its first line and names the
// target on its second, "目标：<title>", cut to fit; the crosshair's tip holds the whole
// title. The title is that of the chosen window's top-level window (the chat client's,
// not the nickname field's own text). With no window chosen, the help is the layout's.
#pragma once

#include <string>

#include "delivery/target_window.h"

inline constexpr char kTargetPrefix[] = "目标：";

// The top-level title of a window, read without sending it a message (a hung program
// never holds up the tool); empty for no window.
std::string TargetTitle(HWND window);

// Shows target as described above; called whenever a pick ends.
void ShowChosenTarget(const TargetWindow& target);
