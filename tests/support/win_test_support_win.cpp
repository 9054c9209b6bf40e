#include "text/encoding.h"
#include "support/win_test_support.h"

#include <algorithm>
#include <cstdint>
#include <random>

#include "layout/program_windows.h"
#include "support/child_process.h"
#include "win/file_bytes.h"

// The windows under test are the program's own, bound to its handlers, from before the
// first test.
Program& SupportProgram() {
  static Program program;
  return program;
}
static const bool kProgramWindowsInUse = (SupportProgram().Use(), true);

UiEventData RowEvent(int row) {
  UiEventData event;
  event.row = row;
  return event;
}

UiEventData ChosenLyricFileEvent() {
  const auto files = M<MainCtl::文件框1>();
  UiEventData event;
  event.control = static_cast<int>(MainCtl::文件框1);
  event.text = files.Folder() + "\\" + files.SelectedEntry();
  return event;
}

MainWindowFixture::MainWindowFixture() {
  ui::LoadOptions options;
  options.show = false;
  hwnd_ = ui::LoadWindow(WindowKind::Main, options);
}

MainWindowFixture::~MainWindowFixture() {
  ui::DestroyWindowNow(WindowKind::Main);
  // The last window's end posts a quit request; it is no business of the next test.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
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

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM lp) {
  if (WindowClass(hwnd) == "Static") {
    const std::string text = WindowText(hwnd);
    if (!text.empty()) *reinterpret_cast<std::string*>(lp) = text;
  }
  return TRUE;
}

}  // namespace

void MessageBoxWatcher::SetBeforeAnswer(std::function<void(const Seen&)> before) {
  EnterCriticalSection(&lock_);
  before_ = std::move(before);
  LeaveCriticalSection(&lock_);
}

void MessageBoxWatcher::Run() {
  while (!stop_) {
    const HWND box = FindProcessWindow(GetCurrentProcessId(), [](HWND h) {
      return WindowClass(h) == "#32770" && IsWindowVisible(h);
    });
    if (box) {
      Seen seen;
      seen.caption = WindowText(box);
      EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&seen.text));
      EnterCriticalSection(&lock_);
      seen_.push_back(seen);
      const std::function<void(const Seen&)> before = before_;
      LeaveCriticalSection(&lock_);
      if (before) before(seen);
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer_.load()), 0);
      for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(10);
    }
    Sleep(20);
  }
}

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = enc::Narrow(base) + "ravo_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (CreateDirectoryW(enc::Wide(path_).c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() {
  for (const std::string& name : FilesIn(path_)) DeleteFileW(enc::Wide(path_ + "\\" + name).c_str());
  RemoveDirectoryW(enc::Wide(path_).c_str());
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string full = path_ + "\\" + name;
  WriteFileBytes(full, bytes);
  return full;
}

CurrentFolderFor::CurrentFolderFor(const std::string& folder) : previous_(CurrentFolder()) {
  SetCurrentDirectoryW(enc::Wide(folder).c_str());
}

CurrentFolderFor::~CurrentFolderFor() { SetCurrentDirectoryW(enc::Wide(previous_).c_str()); }

void PumpOwnQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void PumpFor(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    PumpOwnQueue();
    Sleep(1);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    PumpFor(10);
  }
  return true;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(enc::Wide(folder + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(enc::Narrow(fd.cFileName));
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(n, '\0');
  for (char& b : bytes) b = static_cast<char>(gen() & 0xFF);
  return bytes;
}


std::string WindowClass(HWND hwnd) {
  wchar_t cls[256] = {};
  GetClassNameW(hwnd, cls, 256);
  return enc::Narrow(cls);
}

// The buffer is sized by the text's length: a 1 KiB buffer handed to a child of the folder
// dialog from another thread ends the whole process under Wine, without a word.
std::string WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
  return enc::Narrow(text);
}

bool StartDetached(const std::string& commandLine) { return ChildProcess::StartDetached(commandLine); }

std::string UnixPathOf(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  // Through void* because the export's real type is not that of FARPROC.
  static const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* unix = toUnix(enc::Wide(windowsPath).c_str());
  if (!unix) return {};
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

namespace {

struct WindowSearch {
  DWORD pid;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !(*s->match)(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const std::function<bool(HWND)>& match) {
  WindowSearch s = {pid, &match, nullptr};
  EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForProcessWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = FindProcessWindow(pid, match)) return found;
    if (GetTickCount() - start >= limitMs) return nullptr;
    Sleep(20);
  }
}
