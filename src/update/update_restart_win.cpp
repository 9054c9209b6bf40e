// The end of a complete update: the new program starts and the process ends.
#include "update/update_restart_win.h"

#include <windows.h>

#include <string_view>

#include "text/encoding.h"
#include "text/file_name.h"
#include "update/update_progress_win.h"
#include "win/gui_courier.h"
#include "win/owners.h"
#include "win/program.h"

namespace {

constexpr DWORD kInputIdleWaitMs = 1000;

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
