// The chat stand-in as the tool meets it: a real chat_standin.exe in its own process,
// the tool's message sequence posted to it, and its log file read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/win_test_support.h"
#include "text/encoding.h"

namespace {

const char kStandinTitle[] = "Ravo Chat Stand-in";
const DWORD kPatienceMs = 10000;
const int kBackspacesPerDelivery = 30;

std::wstring Widen(const std::string& text) { return enc::Wide(text); }

std::wstring StandinExe() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"chat_standin.exe";
}

uint64_t UnixMilliseconds() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const uint64_t t = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (t - 116444736000000000ULL) / 10000;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

// Only complete lines: a line without its '\n' is not counted.
std::vector<std::string> CompleteLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl = bytes.find('\n'); nl != std::string::npos; nl = bytes.find('\n', start)) {
    lines.push_back(bytes.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

std::vector<std::string> WaitForLines(const std::wstring& path, size_t count) {
  const DWORD start = GetTickCount();
  std::vector<std::string> lines = CompleteLines(ReadAll(path));
  while (lines.size() < count && GetTickCount() - start < kPatienceMs) {
    Sleep(20);
    lines = CompleteLines(ReadAll(path));
  }
  return lines;
}

struct LogLine {
  uint64_t ms = 0;
  std::string hex;
  std::string utf8;
};

// "<ms> <hex> <utf-8 text>"; the text may itself hold spaces, so it is the rest of the line.
bool Parse(const std::string& line, LogLine* out) {
  const size_t first = line.find(' ');
  if (first == std::string::npos || first == 0) return false;
  const size_t second = line.find(' ', first + 1);
  if (second == std::string::npos) return false;
  const std::string ms = line.substr(0, first);
  if (ms.find_first_not_of("0123456789") != std::string::npos) return false;
  out->ms = std::stoull(ms);
  out->hex = line.substr(first + 1, second - first - 1);
  out->utf8 = line.substr(second + 1);
  return true;
}

// One chat_standin.exe for the length of a test; killed if the test gave up on it.
class Standin {
 public:
  explicit Standin(const std::wstring& arguments) {
    std::wstring command = L"\"" + StandinExe() + L"\"" + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    started_ = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
  }
  ~Standin() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  Standin(const Standin&) = delete;
  Standin& operator=(const Standin&) = delete;

  bool Started() const { return started_; }

  HWND WaitForWindow() const {
    return WaitForProcessWindow(pi_.dwProcessId, [](HWND h) { return WindowText(h) == kStandinTitle; }, kPatienceMs);
  }

  // Returns the exit code, or -1 if the process did not end in time.
  long WaitForExit() const {
    if (WaitForSingleObject(pi_.hProcess, kPatienceMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION pi_ = {};
};

void Click(HWND hwnd, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageA(hwnd, WM_MOUSEMOVE, 2, at);
  PostMessageA(hwnd, WM_LBUTTONDOWN, 1, at);
  PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

// As the tool types into a Unicode window: one UTF-16 unit a message.
void PostText(HWND hwnd, const std::string& text) {
  for (wchar_t unit : enc::Wide(text)) PostMessageW(hwnd, WM_CHAR, unit, 1);
}

void PostBackspaces(HWND hwnd, int count) {
  for (int i = 0; i < count; ++i) PostMessageA(hwnd, WM_KEYDOWN, VK_BACK, 1);
}

// The tool's whole sequence for one text, focus step included.
void Deliver(HWND hwnd, const std::string& text) {
  const DWORD target = GetWindowThreadProcessId(hwnd, nullptr);
  const DWORD self = GetCurrentThreadId();
  AttachThreadInput(self, target, TRUE);
  SetFocus(hwnd);
  AttachThreadInput(self, target, FALSE);
  Click(hwnd, 298, 124);
  PostBackspaces(hwnd, kBackspacesPerDelivery);
  PostText(hwnd, text);
  Click(hwnd, 301, 164);
  Sleep(10);
  Click(hwnd, 301, 164);
}

// Posted after everything else, the close request is handled only once every earlier
// message has been, so the log is final when the process has ended.
long CloseAndWait(const Standin& standin, HWND hwnd) {
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return standin.WaitForExit();
}

std::wstring Quoted(const std::wstring& s) { return L" \"" + s + L"\""; }

TEST(ChatStandin, EachDeliveryReplacesAShortNicknameAndLogsOneLine) {
  TempFolder folder;
  // A log path outside ASCII, as users' folders often are.
  const std::wstring log = Widen(folder.Path()) + L"\\聊天记录.log";
  Standin standin(Quoted(log) + Quoted(L"Guest"));
  ASSERT_TRUE(standin.Started());
  HWND hwnd = standin.WaitForWindow();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_NE(FindWindowA(nullptr, kStandinTitle), nullptr);

  const uint64_t before = UnixMilliseconds();
  Deliver(hwnd, "abc");
  ASSERT_EQ(WaitForLines(log, 1).size(), 1u);
  Deliver(hwnd, "中文歌词");
  ASSERT_EQ(WaitForLines(log, 2).size(), 2u);
  const uint64_t after = UnixMilliseconds();
  ASSERT_EQ(CloseAndWait(standin, hwnd), 0);

  const std::vector<std::string> lines = CompleteLines(ReadAll(log));
  ASSERT_EQ(lines.size(), 2u) << "the second commit click of a delivery must log nothing";
  LogLine first, second;
  ASSERT_TRUE(Parse(lines[0], &first)) << lines[0];
  ASSERT_TRUE(Parse(lines[1], &second)) << lines[1];
  EXPECT_EQ(first.hex, "616263");
  EXPECT_EQ(first.utf8, "abc");
  EXPECT_EQ(second.hex, "d6d0cec4b8e8b4ca");
  EXPECT_EQ(second.utf8, "中文歌词");
  // Wall-clock milliseconds, comparable with another process's clock.
  EXPECT_LE(before, first.ms);
  EXPECT_LE(first.ms, second.ms);
  EXPECT_LE(second.ms, after);
}

TEST(ChatStandin, ThirtyBackspacesKeepTheHeadOfALongNicknameCountingCharactersNotBytes) {
  TempFolder folder;
  const std::wstring log = Widen(folder.Path()) + L"\\chat.log";
  // 36 characters: 30 backspaces leave the first six, however many bytes the erased
  // Chinese characters take.
  const std::wstring nickname = L"Ravo马甲一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十";
  ASSERT_EQ(nickname.size(), 36u);
  Standin standin(Quoted(log) + Quoted(nickname));
  ASSERT_TRUE(standin.Started());
  HWND hwnd = standin.WaitForWindow();
  ASSERT_NE(hwnd, nullptr);

  Deliver(hwnd, "中");
  ASSERT_EQ(WaitForLines(log, 1).size(), 1u);
  // Now seven characters long, so the next delivery replaces it whole.
  Deliver(hwnd, "歌词 two");
  ASSERT_EQ(WaitForLines(log, 2).size(), 2u);
  ASSERT_EQ(CloseAndWait(standin, hwnd), 0);

  const std::vector<std::string> lines = CompleteLines(ReadAll(log));
  ASSERT_EQ(lines.size(), 2u);
  LogLine first, second;
  ASSERT_TRUE(Parse(lines[0], &first)) << lines[0];
  ASSERT_TRUE(Parse(lines[1], &second)) << lines[1];
  EXPECT_EQ(first.hex, "5261766fc2edbcd7d6d0");
  EXPECT_EQ(first.utf8, "Ravo马甲中");
  EXPECT_EQ(second.hex, "b8e8b4ca2074776f");
  EXPECT_EQ(second.utf8, "歌词 two");
}

TEST(ChatStandin, OnlyTheExactPointsOpenAndCommitAndOnlyKeyDownErases) {
  TempFolder folder;
  const std::wstring log = Widen(folder.Path()) + L"\\chat.log";
  Standin standin(Quoted(log) + Quoted(L"Guest"));
  ASSERT_TRUE(standin.Started());
  HWND hwnd = standin.WaitForWindow();
  ASSERT_NE(hwnd, nullptr);

  // Nothing is open: a commit click, typing and erasing must leave the nickname alone.
  Click(hwnd, 301, 164);
  PostBackspaces(hwnd, 3);
  PostText(hwnd, "x");
  Click(hwnd, 301, 164);
  // A pixel beside the nickname point opens nothing either.
  Click(hwnd, 299, 124);
  PostText(hwnd, "y");
  Click(hwnd, 301, 164);
  Click(hwnd, 298, 125);
  PostText(hwnd, "z");
  Click(hwnd, 301, 164);

  // Opened: the edit starts from the committed nickname; a WM_CHAR 8 erases nothing and
  // a click a pixel beside the commit point commits nothing.
  Click(hwnd, 298, 124);
  PostText(hwnd, "ab");
  PostMessageA(hwnd, WM_CHAR, 8, 1);
  PostText(hwnd, "c");
  Click(hwnd, 300, 164);
  PostText(hwnd, "词");
  Click(hwnd, 301, 164);
  Click(hwnd, 301, 164);
  ASSERT_EQ(WaitForLines(log, 1).size(), 1u);
  ASSERT_EQ(CloseAndWait(standin, hwnd), 0);

  const std::vector<std::string> lines = CompleteLines(ReadAll(log));
  ASSERT_EQ(lines.size(), 1u);
  LogLine line;
  ASSERT_TRUE(Parse(lines[0], &line)) << lines[0];
  EXPECT_EQ(line.hex, "4775657374616263b4ca");
  EXPECT_EQ(line.utf8, "Guestabc词");
}

TEST(ChatStandin, AnEmptyNicknameIsLoggedWithADashForItsBytes) {
  TempFolder folder;
  const std::wstring log = Widen(folder.Path()) + L"\\chat.log";
  Standin standin(Quoted(log) + Quoted(L"Guest"));
  ASSERT_TRUE(standin.Started());
  HWND hwnd = standin.WaitForWindow();
  ASSERT_NE(hwnd, nullptr);

  Deliver(hwnd, "");
  ASSERT_EQ(WaitForLines(log, 1).size(), 1u);
  ASSERT_EQ(CloseAndWait(standin, hwnd), 0);

  const std::vector<std::string> lines = CompleteLines(ReadAll(log));
  ASSERT_EQ(lines.size(), 1u);
  LogLine line;
  ASSERT_TRUE(Parse(lines[0], &line)) << lines[0];
  EXPECT_EQ(line.hex, "-");
  EXPECT_EQ(line.utf8, "");
}

TEST(ChatStandin, WithoutALogFileItRefusesToStart) {
  Standin standin(L"");
  ASSERT_TRUE(standin.Started());
  EXPECT_EQ(standin.WaitForExit(), 2);
}

}  // namespace
