#include "support/win_test_support.h"

#include "app/event_table.h"
#include "layout/program_windows.h"
#include "win/file_bytes.h"

// The windows under test are the program's own, bound to its handlers.
static const bool kProgramWindowsInUse = (UseProgramWindows(), true);

MainWindowFixture::MainWindowFixture() {
  ui::LoadOptions options;
  options.show = false;
  hwnd_ = ui::LoadWindow(WindowKind::Main, options);
}

MainWindowFixture::~MainWindowFixture() {
  ui::DestroyWindowNow(WindowKind::Main);
  // The last window's end posts a quit request; it is no business of the next test.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer_(answer) {
  InitializeCriticalSection(&lock_);
  thread_ = std::thread([this] { Run(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
  DeleteCriticalSection(&lock_);
}

std::vector<MessageBoxWatcher::Seen> MessageBoxWatcher::All() const {
  EnterCriticalSection(&lock_);
  std::vector<Seen> copy = seen_;
  LeaveCriticalSection(&lock_);
  return copy;
}

namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (pid == s->pid && std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM lp) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (std::string(cls) == "Static") {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof(text));
    if (text[0]) *reinterpret_cast<std::string*>(lp) = text;
  }
  return TRUE;
}

}  // namespace

void MessageBoxWatcher::Run() {
  while (!stop_) {
    Search s = {GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      Seen seen;
      char caption[256] = {};
      GetWindowTextA(s.found, caption, sizeof(caption));
      seen.caption = caption;
      EnumChildWindows(s.found, CollectStaticText, reinterpret_cast<LPARAM>(&seen.text));
      EnterCriticalSection(&lock_);
      seen_.push_back(seen);
      LeaveCriticalSection(&lock_);
      PostMessageA(s.found, WM_COMMAND, static_cast<WPARAM>(answer_), 0);
      for (int i = 0; i < 100 && IsWindow(s.found); ++i) Sleep(10);
    }
    Sleep(20);
  }
}

TempFolder::TempFolder() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "ravo_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + "\\" + fd.cFileName).c_str());
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryA(path_.c_str());
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string full = path_ + "\\" + name;
  WriteFileBytes(full, bytes);
  return full;
}

void PumpFor(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
}
