// A Windows program started by a test or a benchmark: from a UTF-8 command line (any
// characters reach it), in a chosen current folder, and ended when its owner goes if it
// still runs. Linux programs: StartDetached.
// Header-only, so that the benchmarks, which link nothing of the tests, share it.
#pragma once

#include <windows.h>

#include <string>

#include "text/encoding.h"

class ChildProcess {
 public:
  // folder: the child's current folder; the caller's when empty.
  explicit ChildProcess(const std::string& commandLine, const std::string& folder = {})
      : started_(Start(commandLine, folder, &pi_)) {}
  ~ChildProcess() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return pi_.dwProcessId; }
  HANDLE Handle() const { return pi_.hProcess; }
  bool Running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

  // The exit code, or -1 when it has not ended within limitMs.
  long WaitForExit(DWORD limitMs) const {
    if (!started_ || WaitForSingleObject(pi_.hProcess, limitMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

  // A Windows program's path quoted for a command line.
  static std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

  // Starts a Linux program (such as Z:\usr\bin\python3) and lets it run on unwatched;
  // false when it could not be started. For a Linux program Wine hands back no process
  // handle (null, so it cannot be waited for) and leaves whatever the structure held as
  // the thread's (measured: 0x55, which CloseHandle takes as 0x54, a handle of another
  // test's thread), so nothing is closed.
  static bool StartDetached(const std::string& commandLine) {
    PROCESS_INFORMATION ignored = {};
    return Start(commandLine, {}, &ignored);
  }

 private:
  static bool Start(const std::string& commandLine, const std::string& folder, PROCESS_INFORMATION* pi) {
    std::wstring command = enc::Wide(commandLine);
    const std::wstring in = enc::Wide(folder);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          in.empty() ? nullptr : in.c_str(), &si, pi) != 0;
  }

  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};
