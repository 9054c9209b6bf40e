// Shared pieces of the Win32 tests: the real main window, message boxes answered from
// a watcher thread, temporary folders, waiting while messages are dispatched, the
// windows of a process.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/startup.h"
#include "win/process_paths.h"
#include "win/ui_event.h"

// The program whose windows the Win32 tests load unless a test builds its own: put
// together as the program does it, and in use from before the first test.
Program& SupportProgram();

// Hands a program of the tests' own (their feature objects, with the layouts and the
// event table bound to them) to the window layer while it lives; after it, the support's
// program again. The program must outlive whatever its features started (a fetch on a
// worker, the update check), so tests keep theirs for the whole run.
class ProgramInUse {
 public:
  explicit ProgramInUse(const Program& program) { program.Use(); }
  ~ProgramInUse() { SupportProgram().Use(); }
  ProgramInUse(const ProgramInUse&) = delete;
  ProgramInUse& operator=(const ProgramInUse&) = delete;
};

// What the window layer hands a handler: a list view's event about row, and 文件框1's
// event about the entry selected in it.
UiEventData RowEvent(int row);
UiEventData ChosenLyricFileEvent();

// Loads the real main window (hidden) for the duration of a test.
class MainWindowFixture {
 public:
  MainWindowFixture();
  ~MainWindowFixture();
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// Closes every message box of this process that appears while it lives, and records
// the text and caption of each. Each box is answered with the button `answer` (IDOK,
// or for a Yes/No box IDYES or IDNO).
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(int answer = IDOK);
  ~MessageBoxWatcher();
  struct Seen {
    std::string caption;
    std::string text;
  };
  std::vector<Seen> All() const;
  // The button pressed in the boxes that come from now on.
  void SetAnswer(int answer) { answer_ = answer; }
  // Runs on the watcher's thread as each box is seen, before it is answered (it may
  // change the answer).
  void SetBeforeAnswer(std::function<void(const Seen&)> before);

 private:
  void Run();
  std::atomic<int> answer_;
  std::atomic<bool> stop_{false};
  mutable CRITICAL_SECTION lock_;
  std::vector<Seen> seen_;
  std::function<void(const Seen&)> before_;
  std::thread thread_;
};

// A fresh folder under the temporary folder, removed with its files at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const;  // returns the full path

 private:
  std::string path_;
};

// A change of the current folder (CurrentFolder: win/process_paths.h) for the owner's
// lifetime.
class CurrentFolderFor {
 public:
  explicit CurrentFolderFor(const std::string& folder);
  ~CurrentFolderFor();
  CurrentFolderFor(const CurrentFolderFor&) = delete;
  CurrentFolderFor& operator=(const CurrentFolderFor&) = delete;

 private:
  std::string previous_;
};

// The names of the files (not folders) in folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// Dispatches every message waiting for this thread, then returns.
void PumpOwnQueue();
// Dispatches messages for about ms milliseconds.
void PumpFor(int ms);
// Dispatches messages until done() holds (true) or limitMs have passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000);

// n bytes of every value, the same for the same seed.
std::string RandomBytes(size_t n, unsigned seed);

// A window's handle as the decimal text the target window is written down as.
std::string WindowClass(HWND hwnd);
std::string WindowText(HWND hwnd);

// ChildProcess::StartDetached (support/child_process.h).
bool StartDetached(const std::string& commandLine);

// The Linux path of a Windows path, from Wine's own kernel32; empty outside Wine.
std::string UnixPathOf(const std::string& windowsPath);

// The first top-level window of process pid for which match holds; null when none.
HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match);
// The same, looked for every 20 ms (without dispatching) for up to limitMs.
HWND WaitForProcessWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD limitMs);
