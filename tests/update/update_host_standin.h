// The stand-in update host (tools/update_host.py) for the Win32 tests: Wine starts the
// Linux program itself, on a free loopback port, with the options a test gives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/win_test_support.h"
#include "win/file_bytes.h"
#include "win/http_get.h"


// Runs a shell command line of the Linux side and waits (up to 60 s) until it has ended;
// Wine hands back no handle for a Linux process, so the end is a marker file.
inline bool RunLinuxShell(const std::string& command) {
  TempFolder control;
  const std::string marker = control.Path() + "\\ended";
  std::string commandLine =
      "/bin/bash -c \"set -o pipefail; (" + command + "); echo $? > '" + UnixPathOf(marker) + "'\"";
  if (!StartDetached(commandLine)) return false;
  for (int i = 0; i < 1200; ++i) {
    const std::string status = ReadFileBytes(marker);
    if (!status.empty() && status.back() == '\n') return status == "0\n";
    Sleep(50);
  }
  return false;
}

class StandInHost {
 public:
  // args: options of update_host.py, as text; Python gets them as UTF-8. The page is
  // signed with the build's own key (as the real maker signs it) unless signed is false.
  explicit StandInHost(const std::vector<std::string>& args, bool signed_ = true) {
    const std::string readyFile = control_.Path() + "\\port";
    logPath_ = control_.Path() + "\\requests.log";
    std::string commandLine = "/usr/bin/python3 " RAVO_SOURCE_DIR "/tools/update_host.py --port 0 --lifetime 120";
    commandLine += " --ready-file \"" + UnixPathOf(readyFile) + "\" --log \"" + UnixPathOf(logPath_) + "\"";
    for (const std::string& a : args) commandLine += " \"" + a + "\"";
    if (signed_ && RAVO_UPDATE_SIGNING_KEY[0]) commandLine += " --sign-key \"" RAVO_UPDATE_SIGNING_KEY "\"";
    if (!StartDetached(commandLine)) return;
    for (int i = 0; i < 200 && port_ == 0; ++i) {
      port_ = atoi(ReadFileBytes(readyFile).c_str());
      if (port_ == 0) Sleep(50);
    }
  }
  ~StandInHost() {
    if (port_) HttpGet(Url("/__quit"), kUpdatePageMaxBytes);
  }
  StandInHost(const StandInHost&) = delete;
  StandInHost& operator=(const StandInHost&) = delete;

  bool Running() const { return port_ != 0; }
  int Port() const { return port_; }
  std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://" + HostAndPort() + path; }
  // One line per answered request: JSON with path, range, status, sent, cut, ...
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    const std::string all = ReadFileBytes(logPath_);
    size_t start = 0;
    for (size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
      lines.push_back(all.substr(start, nl - start));
    return lines;
  }
  // Log lines that hold every one of the given fragments.
  int CountLog(const std::vector<std::string>& fragments) const {
    int n = 0;
    for (const std::string& line : Log()) {
      bool all = true;
      for (const std::string& f : fragments) all = all && line.find(f) != std::string::npos;
      n += all;
    }
    return n;
  }
  // The host logs an answer after its last byte has gone out, which can be a moment
  // after the client has it all: waits up to 5 s for at least `atLeast` such lines.
  int AwaitLog(const std::vector<std::string>& fragments, int atLeast) const {
    int n = CountLog(fragments);
    for (int i = 0; i < 100 && n < atLeast; ++i) {
      Sleep(50);
      n = CountLog(fragments);
    }
    return n;
  }

 private:
  TempFolder control_;
  std::string logPath_;
  int port_ = 0;
};
