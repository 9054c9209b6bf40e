#include "online/self_update.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/handlers.h"
#include "app/win_owners.h"
#include "app/window_layer.h"
#include "billboard/scroll_text.h"
#include "build_settings.h"
#include "online/progress_text.h"
#include "online/update_check.h"
#include "online/update_page.h"
#include "text/file_name.h"
#include "text/http_get.h"
#include "text/http_url.h"
#include "text/timed_wait.h"

std::string updatePageText;
std::string forceUpdateValue;
std::string promptUpdateValue;
std::string updateWindowPageText;
std::string downloadAddress;
std::string programName;
std::atomic<double> downloadTotalBytes{0};
Downloader updateDownloader;
DownloadTask updateTask;

namespace {

constexpr int kRestartChecks = 99;
constexpr int kRestartCheckPauseMs = 500;
constexpr DWORD kInputIdleWaitMs = 1000;

std::string g_updateHost = RAVO_UPDATE_HOST;
ElapsedClock g_elapsed;

// The progress timer belongs to the GUI thread; the download's end, on a worker
// thread, asks this message-only window of the GUI thread to stop it.
constexpr UINT WM_STOP_PROGRESS_TIMER = WM_APP + 20;
std::atomic<HWND> g_courier{nullptr};

LRESULT CALLBACK CourierProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_STOP_PROGRESS_TIMER) {
    U(UpdateCtl::时钟).SetTimerPeriod(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void EnsureCourier() {
  if (g_courier.load()) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = CourierProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RavoUpdateCourier";
  RegisterClassA(&wc);
  g_courier = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

void OpenUpdateWindow() {
  ui::LoadOptions options;
  options.modal = true;
  ui::LoadWindow(WindowKind::Update, options);
}

std::string CurrentDirectory() {
  char dir[MAX_PATH] = {};
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
  return n > 0 && n < MAX_PATH ? std::string(dir, n) : std::string();
}

bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  UniqueFind find(FindFirstFileA(path.c_str(), &found));
  return find.Valid();
}

// The path is the whole command line, unquoted, as the new program expects to be
// started; it does not wait for the program's end.
void StartProgram(const std::string& path) {
  std::string commandLine = path;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return;
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  WaitForInputIdle(process.Get(), kInputIdleWaitMs);
}

}  // namespace

std::string UpdatePageAddress() { return WithScheme(g_updateHost) + update_page::kPath; }

void SetUpdateHost(std::string hostAndPort) { g_updateHost = std::move(hostAndPort); }

void CheckForUpdate() {
  ui::ProcessPendingMessages();
  updatePageText = update_page::SectionOf(HttpGetBytes(UpdatePageAddress()));
  forceUpdateValue = update_page::ValueOf(updatePageText, update_page::kForceKey);
  promptUpdateValue = update_page::ValueOf(updatePageText, update_page::kPromptKey);
  // The plan also vets the program name the update window will use.
  const update_page::UpdatePlan plan = update_page::PlanUpdate(updatePageText);
  if (plan.openAtOnce) OpenUpdateWindow();
  if (!plan.askAfterwards) return;
  // An update window closed by hand was the last window, and its end asked the message
  // loop to quit; that request would dismiss the question unanswered. It is held back
  // while the question (and the update window it may open) is up, then put back.
  MSG quit;
  const bool quitPending = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (ui::ShowMessageBox("当前程序已经有更新版本,是否更新", "字幕工具版本更新提示：", MB_YESNO) == IDYES)
    OpenUpdateWindow();
  if (quitPending) PostQuitMessage(static_cast<int>(quit.wParam));
}

void OnUpdateWindowCreated() {
  ui::DestroyWindowDeferred(WindowKind::Main);
  ReadUpdateTarget();
  StartUpdateDownload();
}

void ReadUpdateTarget() {
  ui::ProcessPendingMessages();
  updateWindowPageText = update_page::SectionOf(HttpGetBytes(UpdatePageAddress()));
  downloadAddress = update_page::ValueOf(updateWindowPageText, update_page::kAddressKey);
  programName = update_page::ValueOf(updateWindowPageText, update_page::kProgramNameKey);
}

void StartUpdateDownload() {
  const Control button = U(UpdateCtl::按钮1);
  button.SetText("正在更新,请稍等.");
  if (HWND h = button.Handle()) EnableWindow(h, FALSE);

  updateTask = DownloadTask{};
  updateTask.kind = kDownloadToFile;
  updateTask.url = TrimBlanks(downloadAddress);
  updateTask.stopWaitMs = 1000;
  updateTask.connections = 5;
  updateTask.savePath = CurrentDirectory() + "\\" + programName;
  updateTask.connectTimeoutMs = 5000;
  updateTask.sendTimeoutMs = 5000;
  updateTask.receiveTimeoutMs = 10000;
  updateTask.bufferBytes = 10240;
  updateTask.eventHandler = OnDownloadEvent;
  // The page may have changed since the start-up check vetted the name: a name that
  // would write or start a file outside the folder is not fetched at all.
  if (file_name::IsPlainFileName(programName)) updateDownloader.Start(updateTask);

  EnsureCourier();
  U(UpdateCtl::时钟).SetTimerPeriod(1000);
}

int32_t OnDownloadEvent(int32_t event, DownloadTask*, int32_t value, int32_t, DownloadTask*) {
  switch (event) {
    case kEventTotalSize:
      downloadTotalBytes = static_cast<double>(value);
      break;
    case kEventEnded:
      RestartIntoNewProgram();
      break;
    default:
      break;  // kEventFileExists: 0 lets the downloader pick a new name
  }
  return 0;
}

void RestartIntoNewProgram() {
  if (HWND courier = g_courier.load()) PostMessageA(courier, WM_STOP_PROGRESS_TIMER, 0, 0);
  const bool namePlain = file_name::IsPlainFileName(programName);
  for (int check = 1; check <= kRestartChecks; ++check) {
    const std::string path = ui::ProgramFolder() + "\\" + programName;
    if (namePlain && FileExists(path)) {
      StartProgram(path);
      break;
    }
    TimedWait(kRestartCheckPauseMs);
  }
  // The task has ended, its file is closed and nothing else holds work in progress:
  // the process can end from this thread at once.
  ExitProcess(0);
}

void OnProgressTick() { ShowDownloadProgress(updateDownloader); }

void ShowDownloadProgress(Downloader& downloader) {
  namespace label = progress_label;
  // Until the size is announced the percentage and the remaining time keep their text.
  const double total = downloadTotalBytes;
  if (const auto percent = label::RoundedPercent(downloader.DoneBytes(), total))
    U(UpdateCtl::下载进度).SetText(label::Percent(*percent));
  if (const auto percent = label::RoundedPercent(downloader.DoneBytes(), total)) {
    if (HWND bar = U(UpdateCtl::进度条).Handle())
      SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(*percent, 0.0, 100.0)), 0);
  }
  U(UpdateCtl::下载速度).SetText(label::Speed(downloader.TakeTaskBytes()));
  U(UpdateCtl::已经下载).SetText(label::Done(downloader.DoneBytes(), total));
  g_elapsed.Advance();
  U(UpdateCtl::已用时间).SetText(label::Elapsed(g_elapsed));
  const int64_t done = downloader.DoneBytes();
  if (const auto remaining = label::Remaining(total, done, downloader.TakeAllBytes()))
    U(UpdateCtl::剩余时间).SetText(*remaining);
}

void OpenHomePage() { ui::OpenWebAddress("http://" RAVO_MAKER_ADDRESS); }
