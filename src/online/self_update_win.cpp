#include "online/self_update.h"

#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "win/owners.h"
#include "layout/program_windows.h"
#include "billboard/scroll_text.h"
#include "build_settings.h"
#include "online/progress_text.h"
#include "online/update_check.h"
#include "online/update_page.h"
#include "online/update_signature.h"
#include "text/file_name.h"
#include "win/http_get.h"
#include "text/http_url.h"
#include "win/program.h"

std::string updatePageText;
std::string forceUpdateValue;
std::string promptUpdateValue;
std::string updateWindowPageText;
std::string downloadAddress;
std::string programName;
std::optional<update_manifest::Manifest> updateManifest;
std::atomic<double> downloadTotalBytes{0};
Downloader updateDownloader;
DownloadTask updateTask;

namespace {

constexpr DWORD kInputIdleWaitMs = 1000;
// How long the update window says that the update failed before the tool comes back.
constexpr DWORD kFailureShownMs = 3000;
const char kUpdateFailedText[] = "更新失败,请稍后再试或到官网下载新版本";

std::string g_updateHost = RAVO_UPDATE_HOST;
ElapsedClock g_elapsed;

// Worker threads reach the GUI thread through this message-only window of its own: the
// page read at start-up arrives there, and the download's end asks it to stop the
// progress timer or to show the failure.
constexpr UINT WM_STOP_PROGRESS_TIMER = WM_APP + 20;
constexpr UINT WM_UPDATE_PAGE_READ = WM_APP + 21;  // wParam: the check's number; lParam: UpdateCheck*
constexpr UINT WM_SHOW_UPDATE_FAILED = WM_APP + 22;
std::atomic<HWND> g_courier{nullptr};

// The number of the latest check started; a page read for an older one is dropped.
std::atomic<unsigned> g_checkNumber{0};
std::atomic<bool> g_checkPending{false};

// The file the download checked and saved; what RestartIntoNewProgram starts.
std::string g_checkedProgram;

void OnUpdatePageRead(unsigned number, std::unique_ptr<update_page::UpdateCheck> check) {
  if (number != g_checkNumber) return;
  g_checkPending = false;
  // A main window closed in the meantime was the user's answer: nothing follows.
  if (ui::WindowExists(WindowKind::Main)) ApplyUpdateCheck(*check);
}

LRESULT CALLBACK CourierProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_STOP_PROGRESS_TIMER:
      U<UpdateCtl::时钟>().SetTimerPeriod(0);
      return 0;
    case WM_UPDATE_PAGE_READ:
      OnUpdatePageRead(static_cast<unsigned>(wp),
                       std::unique_ptr<update_page::UpdateCheck>(reinterpret_cast<update_page::UpdateCheck*>(lp)));
      return 0;
    case WM_SHOW_UPDATE_FAILED:
      U<UpdateCtl::时钟>().SetTimerPeriod(0);
      U<UpdateCtl::下载进度>().SetText(kUpdateFailedText);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
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

struct PageFetch {
  unsigned number;
  std::string address;
};

// Runs on a thread of its own, which nobody waits for: a user who closes the tool while
// the host keeps silent or the name server never answers ends the process at once.
unsigned __stdcall FetchUpdatePage(void* arg) {
  std::unique_ptr<PageFetch> fetch(static_cast<PageFetch*>(arg));
  auto check = std::make_unique<update_page::UpdateCheck>(update_page::ReadUpdateCheck(
      HttpGetBytes(fetch->address), update_signature::VerifyWithBuiltInKey, RunningVersion()));
  HWND courier = g_courier.load();
  if (courier && PostMessageA(courier, WM_UPDATE_PAGE_READ, fetch->number, reinterpret_cast<LPARAM>(check.get())))
    check.release();
  return 0;
}

std::string ProgramFile() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  UniqueFind find(FindFirstFileA(path.c_str(), &found));
  return find.Valid();
}

// Starts the program file at path with the given command line; does not wait for the
// program's end. The file is named as the application, so that a path with spaces
// cannot start another program whose name is the path's first words.
bool StartProgram(const std::string& path, std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return false;
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  WaitForInputIdle(process.Get(), kInputIdleWaitMs);
  return true;
}

// The downloader raises event 4 once the task's file is closed; the file carries its
// final name (task->savePath) only when every byte has arrived. Sizes beyond 2 GB reach
// the event as INT32_MAX.
bool ArrivedWhole(const DownloadTask* task, int32_t doneBytes) {
  if (!task || !FileExists(task->savePath)) return false;
  const double announced = std::min<double>(downloadTotalBytes, std::numeric_limits<int32_t>::max());
  return announced <= 0 || doneBytes >= announced;
}

}  // namespace

update_manifest::Version RunningVersion() {
  return {RAVO_VERSION_MAJOR, RAVO_VERSION_MINOR, RAVO_BUILD_NUMBER};
}

std::string UpdatePageAddress() { return WithScheme(g_updateHost) + update_page::kPath; }

void SetUpdateHost(std::string hostAndPort) { g_updateHost = std::move(hostAndPort); }

void CheckForUpdate() {
  EnsureCourier();
  auto* fetch = new PageFetch{++g_checkNumber, UpdatePageAddress()};
  g_checkPending = true;
  const uintptr_t thread = _beginthreadex(nullptr, 0, FetchUpdatePage, fetch, 0, nullptr);
  if (!thread) {
    delete fetch;
    g_checkPending = false;
    return;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
}

bool UpdateCheckPending() { return g_checkPending; }

void ApplyUpdateCheck(const update_page::UpdateCheck& check) {
  updatePageText = check.section;
  forceUpdateValue = check.forceValue;
  promptUpdateValue = check.promptValue;
  // The plan is "nothing" unless the page's manifest is validly signed, newer than this
  // build and names a plain file.
  const update_page::UpdatePlan plan = check.plan;
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
  // The page is read anew, so its manifest is checked anew.
  updateManifest = update_manifest::TrustedManifest(updateWindowPageText, update_signature::VerifyWithBuiltInKey,
                                                    RunningVersion());
}

void StartUpdateDownload() {
  const auto button = U<UpdateCtl::按钮1>();
  button.SetText("正在更新,请稍等.");
  if (HWND h = button.Handle()) EnableWindow(h, FALSE);

  updateTask = DownloadTask{};
  updateTask.kind = kDownloadToFile;
  updateTask.url = TrimBlanks(downloadAddress);
  updateTask.stopWaitMs = 1000;
  updateTask.connections = 5;
  // Saved where it is looked for and started from, whatever the working folder.
  updateTask.savePath = ui::ProgramFolder() + "\\" + programName;
  updateTask.connectTimeoutMs = 5000;
  updateTask.sendTimeoutMs = 5000;
  updateTask.receiveTimeoutMs = 10000;
  updateTask.bufferBytes = 10240;
  updateTask.eventHandler = OnDownloadEvent;
  // The page may have changed since the start-up check: without a trusted manifest
  // (which also vets the name) nothing is fetched at all. With one, the downloaded file
  // takes its name only when its size and SHA-256 are the manifest's; otherwise it is
  // deleted and the task ends as failed.
  if (updateManifest) {
    const update_manifest::Manifest manifest = *updateManifest;
    updateTask.checkFile = [manifest](const std::string& tempPath) {
      return update_signature::FileMatchesManifest(tempPath, manifest);
    };
    updateDownloader.Start(updateTask);
  }

  EnsureCourier();
  U<UpdateCtl::时钟>().SetTimerPeriod(1000);
}

int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value, int32_t, DownloadTask*) {
  switch (event) {
    case kEventTotalSize:
      downloadTotalBytes = static_cast<double>(value);
      break;
    case kEventEnded:
      // Neither returns: the process ends on this thread.
      if (ArrivedWhole(task, value)) {
        g_checkedProgram = task->savePath;
        RestartIntoNewProgram();
      }
      RestartAfterFailedUpdate();
    default:
      break;  // kEventFileExists: 0 lets the downloader pick a new name
  }
  return 0;
}

void RestartIntoNewProgram() {
  if (HWND courier = g_courier.load()) PostMessageA(courier, WM_STOP_PROGRESS_TIMER, 0, 0);
  // The new file was checked and saved in this folder, under programName or, where a
  // file of that name stood already, under a name of the downloader's own: that checked
  // file is started, never an older one that merely carries the name.
  const std::string& path = g_checkedProgram;
  const std::string folder = ui::ProgramFolder() + "\\";
  const bool inFolder = path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                        file_name::IsPlainFileName(std::string_view(path).substr(folder.size()));
  if (!inFolder || !FileExists(path) || !StartProgram(path, path)) RestartAfterFailedUpdate();
  // The task has ended, its file is closed and nothing else holds work in progress:
  // the process can end from this thread at once.
  ExitProcess(0);
}

void RestartAfterFailedUpdate() {
  if (HWND courier = g_courier.load()) PostMessageA(courier, WM_SHOW_UPDATE_FAILED, 0, 0);
  Sleep(kFailureShownMs);
  // The same program, in the same working folder: the user is back where they were.
  const std::string self = ProgramFile();
  if (!self.empty()) StartProgram(self, "\"" + self + "\"");
  ExitProcess(0);
}

void OnProgressTick() { ShowDownloadProgress(updateDownloader); }

void ShowDownloadProgress(Downloader& downloader) {
  namespace label = progress_label;
  // Until the size is announced the percentage and the remaining time keep their text.
  const double total = downloadTotalBytes;
  if (const auto percent = label::RoundedPercent(downloader.DoneBytes(), total))
    U<UpdateCtl::下载进度>().SetText(label::Percent(*percent));
  if (const auto percent = label::RoundedPercent(downloader.DoneBytes(), total)) {
    if (HWND bar = U<UpdateCtl::进度条>().Handle())
      SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(*percent, 0.0, 100.0)), 0);
  }
  U<UpdateCtl::下载速度>().SetText(label::Speed(downloader.TakeTaskBytes()));
  U<UpdateCtl::已经下载>().SetText(label::Done(downloader.DoneBytes(), total));
  g_elapsed.Advance();
  U<UpdateCtl::已用时间>().SetText(label::Elapsed(g_elapsed));
  const int64_t done = downloader.DoneBytes();
  if (const auto remaining = label::Remaining(total, done, downloader.TakeAllBytes()))
    U<UpdateCtl::剩余时间>().SetText(*remaining);
}

void OpenHomePage() { ui::OpenWebAddress("http://" RAVO_MAKER_ADDRESS); }
