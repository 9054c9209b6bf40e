// The update window: on its creation the page is read again off the GUI thread and the
// download starts.
#include <windows.h>

#include <memory>
#include <utility>

#include "layout/program_windows.h"
#include "text/trim_blanks.h"
#include "update/self_update.h"
#include "update/update_page.h"
#include "update/update_signature.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

// Reads the page and judges what it names; on a worker thread. Whatever the work throws
// (out of memory, most likely) is a read that found no trusted manifest.
UpdateTarget ReadUpdateTarget(const std::string& address) {
  UpdateTarget target;
  try {
    target.section = update_page::SectionOf(HttpGetBlocking(address, kUpdatePageMaxBytes).body);
    target.downloadAddress = update_page::ValueOf(target.section, update_page::kAddressKey);
    target.programName = update_page::ValueOf(target.section, update_page::kProgramNameKey);
    // The page is read anew, so its manifest is checked anew.
    target.manifest =
        update_manifest::TrustedManifest(target.section, update_signature::VerifyWithBuiltInKey, RunningVersion());
  } catch (...) {
    target.manifest.reset();
  }
  return target;
}

}  // namespace

void SelfUpdate::OpenWindow() {
  ui::LoadOptions options;
  options.modal = true;
  ui::LoadWindow(WindowKind::Update, options);
}

void SelfUpdate::OnWindowCreated() {
  // On screen before the main window goes, and while the page is read again: the tool
  // never stands without a window.
  const HWND self = ui::WindowHandle(WindowKind::Update);
  replacedMain_ = ui::WindowExists(WindowKind::Main);
  if (self && replacedMain_) {
    ShowWindow(self, SW_SHOW);
    UpdateWindow(self);
  }
  ui::DestroyWindowDeferred(WindowKind::Main);

  EnsureGuiCourier();
  const unsigned read = ++newestTargetRead_;
  ++targetReadsUnderWay_;
  // The worker only hands `this` on to the GUI thread; it reads nothing of the object.
  auto land = [this, read, self](UpdateTarget target) {
    auto landed = std::make_shared<UpdateTarget>(std::move(target));
    RunOnGuiThread([this, read, self, landed] {
      --targetReadsUnderWay_;
      OnTargetRead(read, self, *landed);
    });
  };
  if (!StartWorkerThread([land, address = PageAddress()] { land(ReadUpdateTarget(address)); }))
    land(UpdateTarget{});
}

void SelfUpdate::OnTargetRead(unsigned read, HWND window, const UpdateTarget& target) {
  // A window closed meanwhile, or one opened after it, takes nothing of this read.
  if (read != newestTargetRead_ || !window || window != ui::WindowHandle(WindowKind::Update)) return;
  target_ = target;
  // No trusted manifest this time (unsigned, changed, not found, no answer in time):
  // nothing is fetched and the tool comes back at once.
  if (!target_.manifest) {
    ReturnFromUpdate();
    return;
  }
  StartDownload();
}

void SelfUpdate::StartDownload() {
  if (downloader_.Running()) return;  // a second click
  const auto button = U<UpdateCtl::按钮1>();
  button.SetText("正在更新,请稍等.");
  if (HWND h = button.Handle()) EnableWindow(h, FALSE);

  task_ = DownloadTask{};
  task_.kind = kDownloadToFile;
  task_.url = TrimBlanks(target_.downloadAddress);
  task_.stopWaitMs = 1000;
  task_.connections = 5;
  // Saved where it is looked for and started from, whatever the working folder.
  task_.savePath = ui::ProgramFolder() + "\\" + target_.programName;
  task_.connectTimeoutMs = 5000;
  task_.sendTimeoutMs = 5000;
  task_.receiveTimeoutMs = 10000;
  task_.bufferBytes = 10240;
  task_.eventHandler = [this](int32_t event, DownloadTask* task, int32_t value, int32_t, DownloadTask*) {
    return OnDownloadEvent(event, task, value);
  };
  // The page may have changed since the start-up check: without a trusted manifest
  // (which also vets the name) nothing is fetched at all. With one, the downloader is
  // told the signed size, and the downloaded file takes its name only when its size and
  // SHA-256 are the manifest's; otherwise it is deleted and the task ends as failed.
  bool started = false;
  if (target_.manifest) {
    const update_manifest::Manifest manifest = *target_.manifest;
    task_.expectedBytes = manifest.sizeBytes;
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
