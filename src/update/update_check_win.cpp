// The update check at every start: the page is read off the GUI thread, and the GUI
// thread carries out what it says.
#include <windows.h>

#include <memory>
#include <string>

#include "layout/program_windows.h"
#include "update/self_update.h"
#include "update/update_page.h"
#include "update/update_signature.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

// Reads and judges the page on a worker thread. Whatever the work throws (out of memory,
// most likely) ends the check as one that found no update.
update_page::UpdateCheck ReadUpdatePage(const std::string& address) {
  try {
    return update_page::ReadUpdateCheck(HttpGetBlocking(address, kUpdatePageMaxBytes).body,
                                        update_signature::VerifyWithBuiltInKey, RunningVersion());
  } catch (...) {
    return update_page::UpdateCheck{};
  }
}

}  // namespace

void SelfUpdate::CheckForUpdate() {
  // After a failed update the tool stays as it is for the rest of the run.
  if (failedThisRun_) return;
  EnsureGuiCourier();
  const unsigned check = ++newestCheck_;
  checkPending_ = true;
  // The read runs on a thread that nobody waits for: a user who closes the tool while the
  // host keeps silent or the name server never answers ends the process at once. The
  // worker only hands `this` on to the GUI thread.
  auto land = [this, check](update_page::UpdateCheck read) {
    auto landed = std::make_shared<update_page::UpdateCheck>(std::move(read));
    RunOnGuiThread([this, check, landed] { OnUpdatePageRead(check, *landed); });
  };
  if (!StartWorkerThread([land, address = PageAddress()] { land(ReadUpdatePage(address)); }))
    checkPending_ = false;
}

void SelfUpdate::OnUpdatePageRead(unsigned check, const update_page::UpdateCheck& read) {
  if (check != newestCheck_) return;
  checkPending_ = false;
  // A main window closed in the meantime was the user's answer: nothing follows.
  if (ui::WindowExists(WindowKind::Main)) ApplyUpdateCheck(read);
}

void SelfUpdate::ApplyUpdateCheck(const update_page::UpdateCheck& check) {
  startupCheck_ = check;
  // The plan is "nothing" unless the page's manifest is validly signed, newer than this
  // build and names a plain file.
  const update_page::UpdatePlan plan = check.plan;
  if (failedThisRun_) return;
  if (plan.openAtOnce) OpenWindow();
  // An update that failed meanwhile is not offered again.
  if (!plan.askAfterwards || failedThisRun_) return;
  // An update window closed by hand was the last window, and its end asked the message
  // loop to quit; that request would dismiss the question unanswered. It is held back
  // while the question (and the update window it may open) is up, then put back.
  MSG quit;
  const bool quitPending = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (ui::ShowMessageBox("当前程序已经有更新版本,是否更新", "字幕工具版本更新提示：", MB_YESNO) == IDYES)
    OpenWindow();
  if (quitPending) PostQuitMessage(static_cast<int>(quit.wParam));
}
