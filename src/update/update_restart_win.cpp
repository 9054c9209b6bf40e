// The end of the update: the process starts the new program and ends, or the update
// window closes and the main window comes back.
#include <windows.h>

#include <string_view>

#include "text/encoding.h"
#include "text/file_name.h"
#include "layout/program_windows.h"
#include "update/self_update.h"
#include "win/gui_courier.h"
#include "win/owners.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

constexpr DWORD kInputIdleWaitMs = 1000;
// How long the update window says that the update failed before the tool comes back.
constexpr DWORD kFailureShownMs = 3000;

// Starts the program file at path with the given command line; does not wait for the
// program's end. The file is named as the application, so that a path with spaces
// cannot start another program whose name is the path's first words.
bool StartProgram(const std::string& path, const std::string& commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  std::wstring command = enc::Wide(commandLine);
  if (!CreateProcessW(enc::Wide(path).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return false;
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  WaitForInputIdle(process.Get(), kInputIdleWaitMs);
  return true;
}

}  // namespace

void RestartIntoNewProgram(const std::string& checkedProgram) {
  RunOnGuiThread(StopProgressTimer);
  // The new file was checked and saved in this folder, under the page's program name or,
  // where a file of that name stood already, under a name of the downloader's own: that
  // checked file, which the downloader still holds against writing and deleting, is
  // started.
  const std::string& path = checkedProgram;
  const std::string folder = ui::ProgramFolder() + "\\";
  const bool inFolder = path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                        file_name::IsPlainFileName(std::string_view(path).substr(folder.size()));
  if (!inFolder || !StartProgram(path, path)) return;
  // The task has ended and nothing else holds work in progress: the process can end
  // from this thread at once.
  ExitProcess(0);
}

void SelfUpdate::ReportFailed() {
  RunOnGuiThread([this] {
    const HWND window = ui::WindowHandle(WindowKind::Update);
    failedWindow_ = window;
    if (!window) return;
    ShowUpdateFailed();
    // The moment passes on a thread of its own; the GUI thread goes on with its loop.
    StartWorkerThread([this, window] {
      Sleep(kFailureShownMs);
      RunOnGuiThread([this, window] { OnFailureShown(window); });
    });
  });
}

void SelfUpdate::OnFailureShown(HWND window) {
  if (!window || window != failedWindow_) return;
  failedWindow_ = nullptr;
  if (window == ui::WindowHandle(WindowKind::Update)) ReturnFromUpdate();
}

void SelfUpdate::ReturnFromUpdate() {
  // An update window that was opened on its own, not in the main window's place, stays.
  if (!ui::WindowExists(WindowKind::Update) || !replacedMain_) return;
  failedThisRun_ = true;
  StopProgressTimer();
  // The main window's deferred end may still be on its way: it ends now, and its
  // successor is loaded before the update window goes, so that a window of the tool is
  // on screen throughout and the message loop never sees none.
  ui::DestroyWindowNow(WindowKind::Main);
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  ui::DestroyWindowNow(WindowKind::Update);
}
