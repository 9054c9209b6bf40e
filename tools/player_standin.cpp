// A music player as the tool sees one through the classic player window messages: a
// visible window of class "Winamp v1.x" whose title names the track and which answers
// WM_USER 104 (state) and 105 (position, length) from a scripted clock. The contract
// (command line, commands, log format) is in player_standin.md next to this file; keep
// the two in step.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "win/owners.h"

namespace {

const wchar_t kClassName[] = L"Winamp v1.x";
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 10;
constexpr LRESULT kLengthSeconds = 300;

int64_t ClockMs() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<int64_t>(c.QuadPart) * 1000 / frequency;
}

uint64_t UnixMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (t - 116444736000000000ULL) / 10000;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

class PlayerStandin {
 public:
  PlayerStandin(std::wstring commands, std::wstring log) : commandsPath_(std::move(commands)), logPath_(std::move(log)) {}

  // Commands already in the file are a former player's: this one runs those that follow.
  void SkipOldCommands() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(commandsPath_.c_str(), GetFileExInfoStandard, &data))
      read_ = data.nFileSizeLow;  // a file of commands stays far below 4 GB
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<PlayerStandin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
      case WM_USER:
        if (lp == 104) return self->state_;
        if (lp == 105) return wp == 0 ? static_cast<LRESULT>(self->PositionMs()) : self->track_.empty() ? -1 : kLengthSeconds;
        return 0;
      case WM_TIMER:
        if (wp == kPollTimer) self->Poll(hwnd);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
  }

 private:
  int64_t PositionMs() const { return state_ == 1 ? basePositionMs_ + (ClockMs() - baseClockMs_) : basePositionMs_; }

  void SetPosition(int64_t positionMs) {
    basePositionMs_ = positionMs;
    baseClockMs_ = ClockMs();
  }

  void ShowTitle(HWND hwnd) {
    std::wstring title = L"Winamp 5.9";
    if (!track_.empty()) {
      title = std::to_wstring(number_) + L". " + Wide(track_) + L" - Winamp";
      if (state_ == 3) title += L" [Paused]";
      if (state_ == 0) title += L" [Stopped]";
    }
    SetWindowTextW(hwnd, title.c_str());
  }

  // "<unix ms> <position ms> <state> <command>": when each command took effect and where
  // the track then stood.
  void Log(const std::string& command) {
    char head[64];
    std::snprintf(head, sizeof(head), "%llu %lld %d ", static_cast<unsigned long long>(UnixMs()),
                  static_cast<long long>(PositionMs()), static_cast<int>(state_));
    const std::string line = head + command + "\n";
    const UniqueHandle file(CreateFileW(logPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

  // The commands file's lines not read yet, each run in turn.
  void Poll(HWND hwnd) {
    const UniqueHandle file(CreateFileW(commandsPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(read_);
    SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) || got == 0) return;
    std::string text(buffer, got);
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      read_ += end + 1 - start;
      start = end + 1;
      Run(hwnd, line);
    }
  }

  void Run(HWND hwnd, const std::string& line) {
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (verb == "play" || verb == "next") {  // play N NAME: track N; next NAME: the following number
      std::string name = rest;
      if (verb == "play") {
        const size_t gap = rest.find(' ');
        number_ = std::atoi(rest.substr(0, gap).c_str());
        name = gap == std::string::npos ? std::string() : rest.substr(gap + 1);
      } else {
        ++number_;
      }
      track_ = name;
      state_ = 1;
      SetPosition(0);
    } else if (verb == "pause" && state_ == 1) {
      SetPosition(PositionMs());
      state_ = 3;
    } else if (verb == "resume" && state_ == 3) {
      SetPosition(basePositionMs_);
      state_ = 1;
    } else if (verb == "seek") {
      SetPosition(std::atoll(rest.c_str()));
    } else if (verb == "stop") {
      state_ = 0;
      SetPosition(0);
    } else if (verb == "hang") {
      Log(line);
      Sleep(static_cast<DWORD>(std::atoi(rest.c_str())));
      Log("answering");
      return;
    } else if (verb == "quit") {
      Log(line);
      DestroyWindow(hwnd);
      return;
    }
    ShowTitle(hwnd);
    Log(line);
  }

  std::wstring commandsPath_;
  std::wstring logPath_;
  size_t read_ = 0;
  std::string track_;
  int number_ = 0;
  LRESULT state_ = 0;  // 0 stopped, 1 playing, 3 paused
  int64_t basePositionMs_ = 0;
  int64_t baseClockMs_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3) return 2;
  PlayerStandin player(argv[1], argv[2]);
  LocalFree(argv);
  player.SkipOldCommands();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &PlayerStandin::WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, kClassName, L"Winamp 5.9", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 520, 380, 320, 90,
                              nullptr, nullptr, instance, &player);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  SetTimer(hwnd, kPollTimer, kPollMs, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
