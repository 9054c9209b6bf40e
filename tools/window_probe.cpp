// Writes what another program's window shows, so that a test script can read it: the
// window's and each child control's class and text, a progress bar's position, a tab
// control's current page, a list view's selected row, a list box's entries and the tips
// of the window's tooltips. See window_probe.md.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <string>

#include "win/owners.h"

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring TextOf(HWND hwnd) {
  // WM_GETTEXT, unlike GetWindowTextW, also reads controls of another process.
  const LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const LRESULT got = SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(n + 1), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

// LB_GETTEXT is one of the messages the system carries across processes.
std::string ListBoxEntries(HWND box) {
  std::string lines;
  const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT len = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len < 0) continue;
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(len));
    lines += "entry\t" + Utf8(text) + "\n";
  }
  const LRESULT selected = SendMessageW(box, LB_GETCURSEL, 0, 0);
  if (selected >= 0) lines += "selected entry\t" + std::to_string(static_cast<int>(selected)) + "\n";
  return lines;
}

std::string Lines(HWND hwnd) {
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  std::string line = Utf8(cls) + "\t" + Utf8(TextOf(hwnd));
  if (lstrcmpiW(cls, L"msctls_progress32") == 0)
    line += std::to_string(static_cast<int>(SendMessageW(hwnd, 0x0408 /* PBM_GETPOS */, 0, 0)));
  if (lstrcmpiW(cls, L"SysTabControl32") == 0)
    line += "page " + std::to_string(static_cast<int>(SendMessageW(hwnd, 0x130B /* TCM_GETCURSEL */, 0, 0)));
  if (lstrcmpiW(cls, L"SysListView32") == 0) {
    const LRESULT row = SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row >= 0) line += "selected " + std::to_string(static_cast<int>(row));
  }
  line += "\n";
  if (lstrcmpiW(cls, L"ListBox") == 0) line += ListBoxEntries(hwnd);
  return line;
}

// The texts of a tooltip of another process: the tooltip writes them into memory it
// can reach, which is lent in that process.
std::string TipLines(HWND tooltip) {
  DWORD pid = 0;
  GetWindowThreadProcessId(tooltip, &pid);
  const UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (!process) return {};
  constexpr size_t kTextChars = 4096;
  const size_t size = sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return {};
  auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TTTOOLINFOW));
  std::string lines;
  const LRESULT tools = SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
  for (LRESULT i = 0; i < tools; ++i) {
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.lpszText = remoteText;
    std::wstring text(kTextChars, L'\0');
    SIZE_T moved = 0;
    if (!WriteProcessMemory(process.Get(), remote, &tool, sizeof(tool), &moved) ||
        !WriteProcessMemory(process.Get(), remoteText, text.data(), sizeof(wchar_t), &moved) ||
        !SendMessageW(tooltip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)) ||
        !ReadProcessMemory(process.Get(), remoteText, text.data(), (kTextChars - 1) * sizeof(wchar_t), &moved))
      continue;
    text.resize(wcsnlen(text.c_str(), kTextChars));
    for (size_t from = 0; from <= text.size();) {
      size_t end = text.find(L'\n', from);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(from, end - from);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      lines += "tooltip\t" + Utf8(line) + "\n";
      from = end + 1;
    }
  }
  VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
  return lines;
}

struct Tips {
  DWORD thread;  // the probed window's
  std::string lines;
};

BOOL CALLBACK AddTips(HWND hwnd, LPARAM lp) {
  auto* tips = reinterpret_cast<Tips*>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindowThreadProcessId(hwnd, nullptr) == tips->thread)
    tips->lines += TipLines(hwnd);
  return TRUE;
}

struct Probe {
  std::string out;
  HWND focus;            // the window with the keyboard focus in the probed window's thread
  int children = 0;
  int focusedChild = 0;  // its number among the children, from 1; 0: none of them
};

BOOL CALLBACK AddChild(HWND hwnd, LPARAM lp) {
  auto* probe = reinterpret_cast<Probe*>(lp);
  probe->out += Lines(hwnd);
  if (++probe->children && hwnd == probe->focus) probe->focusedChild = probe->children;
  return TRUE;
}

// The file name of the program that runs a window, without its folder.
std::wstring ProgramOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const BOOL ok = QueryFullProcessImageNameW(process.Get(), 0, path, &size);
  if (!ok) return {};
  const std::wstring full(path, size);
  const size_t slash = full.find_last_of(L"\\/");
  return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

struct Wanted {
  const wchar_t* title;
  const wchar_t* program;  // null: any
  HWND found = nullptr;
};

// Programs in one Wine prefix share one desktop whatever display they show on, so a
// title alone may name another instance's window; the program name tells them apart.
BOOL CALLBACK FindWanted(HWND hwnd, LPARAM lp) {
  auto* w = reinterpret_cast<Wanted*>(lp);
  wchar_t title[512] = {};
  GetWindowTextW(hwnd, title, 512);
  if (lstrcmpW(title, w->title) != 0) return TRUE;
  if (w->program && lstrcmpiW(ProgramOf(hwnd).c_str(), w->program) != 0) return TRUE;
  w->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

double NowMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A shown, writable text box of the window (no digits-only one), for the posted probe.
BOOL CALLBACK FindTypingBox(HWND hwnd, LPARAM lp) {
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if (lstrcmpiW(name, L"Edit") != 0 || !IsWindowVisible(hwnd) || (style & (ES_READONLY | ES_NUMBER))) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

// How long the window's thread takes to take a posted message: a character posted to
// its text box shows in the box's length once the thread's loop has run it (a sent
// message would be answered even from inside a SendMessage the thread is waiting in).
// A Backspace then takes it out again. 10000 when it did not show within 10 s.
double PostedAnswerMs(HWND box) {
  auto length = [box] {
    DWORD_PTR n = 0;
    SendMessageTimeoutW(box, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &n);
    return n;
  };
  const DWORD_PTR before = length();
  const double asked = NowMs();
  PostMessageW(box, WM_CHAR, L'x', 0);
  while (length() == before) {
    if (NowMs() - asked > 10000) return 10000.0;
    Sleep(1);
  }
  const double took = NowMs() - asked;
  PostMessageW(box, WM_CHAR, VK_BACK, 0);
  while (length() != before && NowMs() - asked < 20000) Sleep(1);
  return took;
}

// Watches a window for a while, a sample every periodMs (100 unless told): whether it exists, how many child
// windows it has, and how long its thread takes to answer a message (WM_NULL, at most
// 10 s). One line a sample: "sample<TAB>ms since the start<TAB>children<TAB>answer ms",
// "hidden<TAB>ms" while the window exists but is not shown, or "none<TAB>ms" while there
// is no such window.
int Watch(const wchar_t* out, const wchar_t* title, const wchar_t* program, double seconds, double periodMs,
          bool posted) {
  std::string lines;
  const double start = NowMs();
  for (int n = 0;; ++n) {
    const double due = start + n * periodMs;
    const double now = NowMs();
    if (now - start > seconds * 1000.0) break;
    if (due > now) Sleep(static_cast<DWORD>(due - now));
    Wanted wanted{title, program};
    EnumWindows(FindWanted, reinterpret_cast<LPARAM>(&wanted));
    const double at = NowMs() - start;
    // A window not shown yet is none the user could wait for.
    if (!wanted.found || !IsWindowVisible(wanted.found)) {
      lines += std::string(wanted.found ? "hidden\t" : "none\t") + std::to_string(static_cast<int>(at)) + "\n";
      continue;
    }
    int children = 0;
    EnumChildWindows(wanted.found, CountChild, reinterpret_cast<LPARAM>(&children));
    const double asked = NowMs();
    DWORD_PTR answer = 0;
    HWND box = nullptr;
    if (posted) EnumChildWindows(wanted.found, FindTypingBox, reinterpret_cast<LPARAM>(&box));
    double took = 10000.0;
    if (box) {
      took = PostedAnswerMs(box);
    } else if (SendMessageTimeoutW(wanted.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer)) {
      took = NowMs() - asked;
    }
    lines += "sample\t" + std::to_string(static_cast<int>(at)) + "\t" + std::to_string(children) + "\t" +
             std::to_string(static_cast<int>(took)) + "\n";
  }
  const UniqueHandle f(CreateFileW(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return 3;
  DWORD written = 0;
  WriteFile(f.Get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  return written == lines.size() ? 0 : 3;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  // window_probe --watch OUT TITLE PROGRAM SECONDS [PERIOD-MS [posted]]
  if (argv && argc >= 6 && argc <= 8 && lstrcmpW(argv[1], L"--watch") == 0) {
    const double period = argc >= 7 ? _wtof(argv[6]) : 100.0;
    const bool posted = argc == 8 && lstrcmpW(argv[7], L"posted") == 0;
    if (period < 1 || (argc == 8 && !posted)) return 2;
    return Watch(argv[2], argv[3], argv[4], _wtof(argv[5]), period, posted);
  }
  if (!argv || argc < 3 || argc > 4) return 2;
  Wanted wanted{argv[2], argc == 4 ? argv[3] : nullptr};
  EnumWindows(FindWanted, reinterpret_cast<LPARAM>(&wanted));
  HWND window = wanted.found;
  if (!window) return 1;
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof(thread);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  Probe probe{Lines(window), thread.hwndFocus};
  EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&probe));
  Tips tips{GetWindowThreadProcessId(window, nullptr), {}};
  EnumWindows(AddTips, reinterpret_cast<LPARAM>(&tips));
  const std::string out = probe.out + tips.lines + "focus\t" + std::to_string(probe.focusedChild) + "\n";
  const UniqueHandle f(CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return 3;
  DWORD written = 0;
  WriteFile(f.Get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  return written == out.size() ? 0 : 3;
}
