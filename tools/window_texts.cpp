// Prints the texts of a top-level window and its child controls, so that a test script
// can read what another program's window shows. See window_texts.md.
#include <windows.h>

#include <string>

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

std::string Line(HWND hwnd) {
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  std::string line = Utf8(cls) + "\t" + Utf8(TextOf(hwnd));
  if (lstrcmpiW(cls, L"msctls_progress32") == 0)
    line += std::to_string(static_cast<int>(SendMessageW(hwnd, 0x0408 /* PBM_GETPOS */, 0, 0)));
  return line + "\n";
}

BOOL CALLBACK AddChild(HWND hwnd, LPARAM out) {
  *reinterpret_cast<std::string*>(out) += Line(hwnd);
  return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) return 2;
  HWND window = FindWindowW(nullptr, argv[2]);
  if (!window) return 1;
  std::string out = Line(window);
  EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&out));
  HANDLE f = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(f, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  CloseHandle(f);
  return written == out.size() ? 0 : 3;
}
