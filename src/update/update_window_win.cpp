// The update window: on its creation the page is read again and the download starts.
#include <windows.h>

#include "layout/program_windows.h"
#include "win/program.h"
#include "update/self_update.h"
#include "win/gui_courier.h"
#include "update/update_page.h"
#include "update/update_signature.h"
#include "win/http_get.h"
#include "text/trim_blanks.h"

std::string updateWindowPageText;
std::string downloadAddress;
std::string programName;
std::optional<update_manifest::Manifest> updateManifest;
Downloader updateDownloader;
DownloadTask updateTask;

void OpenUpdateWindow() {
  ui::LoadOptions options;
  options.modal = true;
  ui::LoadWindow(WindowKind::Update, options);
}

namespace {

bool g_replacedMain = false;

}  // namespace

bool UpdateWindowReplacedMain() { return g_replacedMain; }

void OnUpdateWindowCreated() {
  // On screen before the main window goes, and while the page is read again: the tool
  // never stands without a window.
  HWND self = ui::WindowHandle(WindowKind::Update);
  g_replacedMain = ui::WindowExists(WindowKind::Main);
  if (self && g_replacedMain) {
    ShowWindow(self, SW_SHOW);
    UpdateWindow(self);
  }
  ui::DestroyWindowDeferred(WindowKind::Main);
  ReadUpdateTarget();
  // No trusted manifest this time (unsigned, changed, not found, no answer in time):
  // nothing is fetched and the tool comes back at once.
  if (!updateManifest) {
    ReturnFromUpdate();
    return;
  }
  StartUpdateDownload();
}

void ReadUpdateTarget() {
  ui::ProcessPendingMessages();
  updateWindowPageText = update_page::SectionOf(HttpGetBytes(UpdatePageAddress(), kUpdatePageMaxBytes));
  downloadAddress = update_page::ValueOf(updateWindowPageText, update_page::kAddressKey);
  programName = update_page::ValueOf(updateWindowPageText, update_page::kProgramNameKey);
  // The page is read anew, so its manifest is checked anew.
  updateManifest = update_manifest::TrustedManifest(updateWindowPageText, update_signature::VerifyWithBuiltInKey,
                                                    RunningVersion());
}

void StartUpdateDownload() {
  if (updateDownloader.Running()) return;  // a second click
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
  // (which also vets the name) nothing is fetched at all. With one, the downloader is
  // told the signed size, and the downloaded file takes its name only when its size and
  // SHA-256 are the manifest's; otherwise it is deleted and the task ends as failed.
  bool started = false;
  if (updateManifest) {
    const update_manifest::Manifest manifest = *updateManifest;
    updateTask.expectedBytes = manifest.sizeBytes;
    updateTask.checkFile = [manifest](void* file) {
      return update_signature::OpenFileMatchesManifest(file, manifest);
    };
    started = updateDownloader.Start(updateTask);
  }

  EnsureGuiCourier();
  if (!started) {
    // No event will ever come (no address, say): the update has failed already.
    ReportFailedUpdate();
    return;
  }
  U<UpdateCtl::时钟>().SetTimerPeriod(1000);
}
