// The self-update's one object: the start-up check, the update window with its page read
// again and its download, the download's events and the update's end.
#include "update/self_update_win.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "layout/program_windows.h"
#include "text/http_url.h"
#include "text/trim_blanks.h"
#include "update/update_progress_win.h"
#include "update/update_restart_win.h"
#include "update/download_plan.h"
#include "update/update_signature.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"

namespace {

// How long the update window says that the update failed before the tool comes back.
constexpr int kFailureShownMs = 3000;

// The machine's date, "YYYY-MM-DD", which a signed page's expiry is held against.
std::string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

// Fetches and reads the page at address on a worker thread (the signature check keeps
// the GUI thread free that way) and hands the page to landed on the GUI thread. The
// fetch's failure, when it failed, is why a page brings no manifest.
void ReadPageOnWorker(const std::string& address, const update_manifest::Version& running,
                      std::function<void(const update_page::UpdatePage&)> landed) {
  ReadOnWorker(address, kUpdatePageMaxBytes, [running, landed = std::move(landed)](HttpResult& fetched) {
    update_page::UpdatePage page =
        update_page::ReadUpdatePage(fetched.body, update_signature::VerifyWithBuiltInKey, running, Today());
    // The page is read anew each time, so its manifest is checked anew.
    if (!page.manifest && fetched.failure) page.failure = fetched.failure;
    return std::function<void()>([landed, page] { landed(page); });
  });
}

}  // namespace

SelfUpdate::SelfUpdate(SelfUpdateSettings settings) : settings_(std::move(settings)) {}

std::string SelfUpdate::PageAddress() const { return WithScheme(settings_.host) + update_page::kPath; }

// The start-up check.

void SelfUpdate::CheckForUpdate() {
  // After a failed update the tool stays as it is for the rest of the run.
  if (failedThisRun_) return;
  const unsigned check = ++newestCheck_;
  checkPending_ = true;
  // The worker only hands `this` on to the GUI thread.
  ReadPageOnWorker(PageAddress(), settings_.runningVersion,
                   [this, check](const update_page::UpdatePage& read) { OnUpdatePageRead(check, read); });
}

void SelfUpdate::OnUpdatePageRead(unsigned check, const update_page::UpdatePage& read) {
  if (check != newestCheck_) return;
  checkPending_ = false;
  // A main window closed in the meantime was the user's answer: nothing follows.
  if (ui::WindowExists(WindowKind::Main)) ApplyUpdateCheck(read);
}

void SelfUpdate::ApplyUpdateCheck(const update_page::UpdatePage& check) {
  startupPage_ = check;
  // The plan is "nothing" unless the page's manifest is validly signed, newer than this
  // build and names a plain file.
  const update_page::UpdatePlan plan = check.plan;
  if (failedThisRun_) return;
  if (plan.openAtOnce) {
    // A page that also offers the update asks once the update window has gone without
    // one: closed by hand, it was the last window (OfferAfterLastWindow).
    offerAfterLastWindow_ = plan.askAfterwards;
    OpenWindow();
    return;
  }
  if (plan.askAfterwards) Ask();
}

void SelfUpdate::Ask() {
  if (ui::ShowMessageBox("当前程序已经有更新版本,是否更新", "字幕工具版本更新提示：", MB_YESNO) == IDYES)
    OpenWindow();
}

bool SelfUpdate::OfferAfterLastWindow() {
  // An update that failed meanwhile is not offered again.
  if (!std::exchange(offerAfterLastWindow_, false) || failedThisRun_) return false;
  Ask();
  return ui::WindowExists(WindowKind::Update);
}

// The update window.

void SelfUpdate::OpenWindow() { ui::LoadWindow(WindowKind::Update, ui::LoadOptions{}); }

void SelfUpdate::OnWindowCreated() {
  // On screen in the main window's place, and while the page is read again: the tool
  // never stands without a window. The main window goes first, while it is still on
  // screen: taking a window off the screen can hold the thread (Wine waits up to 2 s for
  // a window manager that does not answer), and the update window is to answer from its
  // first moment. It shows with every control, those below its visible part included.
  const HWND self = ui::WindowHandle(WindowKind::Update);
  replacedMain_ = ui::WindowExists(WindowKind::Main);
  U<UpdateCtl::按钮1>().Handle();
  U<UpdateCtl::按钮2>().Handle();
  U<UpdateCtl::超级链接框1>().Handle();
  U<UpdateCtl::图片框1>().Handle();
  ui::DestroyWindowNow(WindowKind::Main);
  if (self && replacedMain_) {
    ShowWindow(self, SW_SHOW);
    UpdateWindow(self);
  }

  const unsigned read = ++newestWindowRead_;
  ++windowReadsUnderWay_;
  // The worker only hands `this` on to the GUI thread.
  ReadPageOnWorker(PageAddress(), settings_.runningVersion, [this, read, self](const update_page::UpdatePage& page) {
    --windowReadsUnderWay_;
    OnWindowPageRead(read, self, page);
  });
}

void SelfUpdate::OnWindowPageRead(unsigned read, HWND window, const update_page::UpdatePage& page) {
  // A window closed meanwhile, or one opened after it, takes nothing of this read.
  if (read != newestWindowRead_ || !window || window != ui::WindowHandle(WindowKind::Update)) return;
  windowPage_ = page;
  // No trusted manifest this time (unsigned, changed, not found, no answer in time):
  // nothing is fetched and the tool comes back at once; a window that replaced no main
  // window says the update failed, as every other failure does, instead of connecting
  // for ever.
  if (!windowPage_.manifest) {
    RecordFailure("update (the update window's read of " + PageAddress() + ")",
                  windowPage_.failure.value_or(Failure{"manifest", FailureCause::Signature, 0}));
    if (replacedMain_) {
      ReturnFromUpdate();
    } else {
      ReportFailed();
    }
    return;
  }
  StartDownload();
}

void SelfUpdate::StartDownload() {
  if (downloader_.Running()) return;  // a second click
  const auto button = U<UpdateCtl::按钮1>();
  button.SetText("正在更新,请稍等.");
  button.SetEnabled(false);

  task_ = DownloadTask{};
  task_.url = TrimBlanks(windowPage_.downloadAddress);
  task_.stopWaitMs = 1000;
  task_.connections = 5;
  // Saved where it is looked for and started from, whatever the working folder.
  task_.savePath = ui::ProgramFolder() + "\\" + windowPage_.programName;
  task_.connectTimeoutMs = 5000;
  task_.sendTimeoutMs = 5000;
  task_.receiveTimeoutMs = 10000;
  task_.bufferBytes = 10240;
  task_.events = DownloadEventsOfTheUpdate();
  {
    std::lock_guard<std::mutex> hold(endLock_);
    windowGone_ = false;
  }
  // The page may have changed since the start-up check: without a trusted manifest
  // (which also vets the name) nothing is fetched at all. With one, the downloader is
  // told the signed size, and the downloaded file takes its name only when its size and
  // SHA-256 are the manifest's; otherwise it is deleted and the task ends as failed.
  bool started = false;
  if (windowPage_.manifest) {
    const update_manifest::Manifest manifest = *windowPage_.manifest;
    task_.expectedBytes = manifest.sizeBytes;
    // However it trickles, the update ends in a time its size warrants.
    task_.deadlineMs = download_plan::DownloadDeadlineMs(manifest.sizeBytes);
    task_.checkFile = [manifest](void* file) { return update_signature::OpenFileMatchesManifest(file, manifest); };
    started = downloader_.Start(task_);
  }

  EnsureGuiCourier();
  if (!started) {
    // No event will ever come (no address, say): the update has failed already.
    ReportFailed();
    return;
  }
  U<UpdateCtl::时钟>().SetTimerPeriod(1000);
}

// The download's events and the update's end.

DownloadEvents SelfUpdate::DownloadEventsOfTheUpdate() {
  DownloadEvents events;
  events.sizeKnown = [this](int64_t total) { totalBytes_ = static_cast<double>(total); };  // event 3
  events.replaceExisting = [](const std::string&) { return false; };  // event 18, answered 0
  events.ended = [this](const DownloadResult& result) { OnDownloadEnded(result); };  // event 4
  return events;
}

void SelfUpdate::OnDownloadEnded(const DownloadResult& result) {
  // Stopped with its window: nothing follows.
  if (result.outcome == DownloadResult::Outcome::Stopped) return;
  // The downloader says how the task ended; a file that merely stands under the name
  // proves nothing. The downloader has written a failure's line already.
  if (result.outcome == DownloadResult::Outcome::Complete) {
    std::lock_guard<std::mutex> hold(endLock_);
    if (windowGone_) return;  // closed meanwhile: nothing fetched is started
    // Returns only when it could not start the new program.
    RestartIntoNewProgram(result.savedPath);
    RecordFailure("update (the start of " + result.savedPath + ")", SystemFailure("start", GetLastError()));
  }
  ReportFailed();
}

void SelfUpdate::OnWindowDestroyed() {
  {
    std::lock_guard<std::mutex> hold(endLock_);
    windowGone_ = true;
  }
  downloader_.Stop();
  failedWindow_ = nullptr;
}

void SelfUpdate::ReportFailed() {
  RunOnGuiThread([this] {
    const HWND window = ui::WindowHandle(WindowKind::Update);
    failedWindow_ = window;
    if (!window) return;
    ShowUpdateFailed();
    // The moment passes on the window's own timer (OnProgressTick); the GUI thread goes
    // on with its loop.
    U<UpdateCtl::时钟>().SetTimerPeriod(kFailureShownMs);
  });
}

void SelfUpdate::OnFailureShown(HWND window) {
  if (!window || window != failedWindow_) return;
  failedWindow_ = nullptr;
  if (window == ui::WindowHandle(WindowKind::Update)) ReturnFromUpdate();
}

void SelfUpdate::ReturnFromUpdate() {
  // An update window that was opened on its own, not in the main window's place, stays.
  if (!ui::WindowExists(WindowKind::Update) || !replacedMain_) return;
  failedThisRun_ = true;
  StopProgressTimer();
  // The main window is loaded again before the update window goes, so that a window of
  // the tool is on screen throughout and the message loop never sees none.
  ui::LoadWindow(WindowKind::Main, ui::LoadOptions{});
  ui::DestroyWindowNow(WindowKind::Update);
}

void SelfUpdate::OnProgressTick() {
  const HWND window = ui::WindowHandle(WindowKind::Update);
  if (failedWindow_ && failedWindow_ == window) {
    StopProgressTimer();
    OnFailureShown(window);
    return;
  }
  ShowDownloadProgress(downloader_);
}

void SelfUpdate::ShowDownloadProgress(Downloader& downloader) { ShowProgress(downloader, totalBytes_, elapsed_); }
