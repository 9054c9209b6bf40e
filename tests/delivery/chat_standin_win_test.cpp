// The chat stand-in is strict where the chat client is: the whole flows that type into it
// (tests/e2e) can fail on a click beside its points or a WM_CHAR 8 only because it is. A
// real chat_standin.exe in its own process, messages posted to it, its log read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/win_test_support.h"
#include "text/encoding.h"
#include "win/program.h"

namespace {

const char kStandinTitle[] = "Ravo Chat Stand-in";
const DWORD kPatienceMs = 10000;

std::string StandinExe() { return ui::ProgramFolder() + "\\chat_standin.exe"; }

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileW(enc::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

std::vector<std::string> WaitForLines(const std::string& path, size_t count) {
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
  explicit Standin(const std::string& arguments) : process_(ChildProcess::Quoted(StandinExe()) + arguments) {}
  bool Started() const { return process_.Started(); }
  HWND WaitForWindow() const {
    return WaitForProcessWindow(process_.Id(), [](HWND h) { return WindowText(h) == kStandinTitle; }, kPatienceMs);
  }
  long WaitForExit() const { return process_.WaitForExit(kPatienceMs); }

 private:
  ChildProcess process_;
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

// Posted after everything else, the close request is handled only once every earlier
// message has been, so the log is final when the process has ended.
long CloseAndWait(const Standin& standin, HWND hwnd) {
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return standin.WaitForExit();
}

TEST(ChatStandin, OnlyTheExactPointsOpenAndCommitAndOnlyKeyDownErases) {
  TempFolder folder;
  const std::string log = folder.Path() + "\\chat.log";
  Standin standin(" " + ChildProcess::Quoted(log) + " Guest");
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

}  // namespace
