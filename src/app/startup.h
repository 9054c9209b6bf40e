// Start-up: the program put together, the main window, the message loop until the last
// window closes.
#pragma once

#include <vector>

#include "app/features.h"
#include "layout/program_windows.h"
#include "win/ui_event.h"

// The program as the roof puts it together from the build's settings: the features, the
// layouts with the build's texts, and the event table bound to the features. Use() hands
// the layouts and the table to the window layer; the program must outlive every window
// loaded after that.
class Program {
 public:
  Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  void Use() const;
  const ProgramLayouts& Layouts() const { return layouts_; }

  Features features;

 private:
  ProgramLayouts layouts_;
  std::vector<EventBinding> events_;
};

// Runs the program; returns the process exit code.
int RunProgram();
