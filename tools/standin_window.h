// What the two stand-ins for a target window (chat_standin.cpp, edit_standin.cpp) share:
// their place on the screen, so that the same drag reaches either field; their log line;
// their command line and message loop. The contract is in chat_standin.md and
// edit_standin.md.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "win/owners.h"

namespace standin {

inline constexpr int kWindowX = 520;
inline constexpr int kWindowY = 60;
inline constexpr int kClientWidth = 480;
inline constexpr int kClientHeight = 240;
inline constexpr RECT kFieldBox = {90, 108, 470, 141};
inline constexpr int kExitUsage = 2;

inline HFONT CjkFont(int pixelHeight, int weight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"WenQuanYi Micro Hei");
}

inline std::string ToCodePage(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

// Wall-clock milliseconds, so that a test on the Linux side can compare them with its
// own clock; GetTickCount would only be comparable inside Wine.
inline uint64_t UnixMilliseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t hundredNs = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const uint64_t kEpochDifference = 116444736000000000ULL;  // 1601-01-01 to 1970-01-01
  return (hundredNs - kEpochDifference) / 10000;
}

// "<ms> <GBK bytes in hex, or - for none> <UTF-8 text>\n".
inline std::string LogLine(uint64_t ms, const std::wstring& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : ToCodePage(936, text)) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return std::to_string(ms) + ' ' + (hex.empty() ? std::string("-") : hex) + ' ' + ToCodePage(CP_UTF8, text) + '\n';
}

// Opened per line so that a reader polling the file never sees half a line that is
// still sitting in a buffer of ours.
inline bool AppendLine(const std::wstring& path, const std::string& line) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  SetFilePointer(file.Get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  const BOOL ok = WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file.Get());
  return ok && written == line.size();
}

// The stand-in's top-level window of kClientWidth x kClientHeight at kWindowX, kWindowY;
// self reaches procedure through SelfOf.
inline HWND CreateStandinWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title, LPCWSTR cursor,
                                int background, WNDPROC procedure, void* self) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
  wc.lpszClassName = className;
  if (!RegisterClassW(&wc)) return nullptr;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  return CreateWindowExW(0, className, title, style, kWindowX, kWindowY, frame.right - frame.left,
                         frame.bottom - frame.top, nullptr, nullptr, instance, self);
}

// The object given to CreateStandinWindow, from the window's first message on; null
// before it.
template <class T>
T* SelfOf(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The command line LOG [NICKNAME [NUMBER [NUMBER]]], read wide because Wine hands the narrow one
// over in GBK and the log path or nickname may hold characters that GBK cannot carry.
// False without a log path.
struct Arguments {
  std::wstring logPath;
  std::wstring nickname = L"Guest";
  DWORD number = 0;
  DWORD secondNumber = 0;
};
inline bool ReadArguments(Arguments* out) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const bool ok = argv && argc >= 2 && argv[1][0] != L'\0';
  if (ok) {
    out->logPath = argv[1];
    if (argc >= 3) out->nickname = argv[2];
    if (argc >= 4) out->number = wcstoul(argv[3], nullptr, 10);
    if (argc >= 5) out->secondNumber = wcstoul(argv[4], nullptr, 10);
  }
  if (argv) LocalFree(argv);
  return ok;
}

// Shows the window and runs the loop of every ordinary program: key-downs become
// characters here, behind whatever is already in the queue.
inline int ShowAndRun(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace standin
