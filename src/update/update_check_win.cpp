// The update check at every start: the page is read off the GUI thread, and the GUI
// thread carries out what it says.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "win/program.h"
#include "layout/program_windows.h"
#include "update/self_update.h"
#include "update/update_check.h"
#include "win/gui_courier.h"
#include "update/update_page.h"
#include "update/update_signature.h"
#include "win/http_get.h"
#include "win/worker_thread.h"

std::string updatePageText;
std::string forceUpdateValue;
std::string promptUpdateValue;

namespace {

// The number of the latest check started; a page read for an older one is dropped.
std::atomic<unsigned> g_checkNumber{0};
std::atomic<bool> g_checkPending{false};

void OnUpdatePageRead(unsigned number, const update_page::UpdateCheck& check) {
  if (number != g_checkNumber) return;
  g_checkPending = false;
  // A main window closed in the meantime was the user's answer: nothing follows.
  if (ui::WindowExists(WindowKind::Main)) ApplyUpdateCheck(check);
}

// Reads and judges the page on a thread of its own, which nobody waits for: a user who
// closes the tool while the host keeps silent or the name server never answers ends the
// process at once. Whatever the work throws (out of memory, most likely) ends the check
// as one that found no update.
void ReadUpdatePage(unsigned number, const std::string& address) {
  try {
    auto check = std::make_shared<update_page::UpdateCheck>(update_page::ReadUpdateCheck(
        HttpGetBlocking(address, kUpdatePageMaxBytes).body, update_signature::VerifyWithBuiltInKey, RunningVersion()));
    RunOnGuiThread([number, check] { OnUpdatePageRead(number, *check); });
  } catch (...) {
    RunOnGuiThread([number] { OnUpdatePageRead(number, update_page::UpdateCheck{}); });
  }
}

}  // namespace

void CheckForUpdate() {
  // After a failed update the tool stays as it is for the rest of the run.
  if (UpdateFailedThisRun()) return;
  EnsureGuiCourier();
  const unsigned number = ++g_checkNumber;
  g_checkPending = true;
  if (!StartWorkerThread([number, address = UpdatePageAddress()] { ReadUpdatePage(number, address); }))
    g_checkPending = false;
}

bool UpdateCheckPending() { return g_checkPending; }

void ApplyUpdateCheck(const update_page::UpdateCheck& check) {
  updatePageText = check.section;
  forceUpdateValue = check.forceValue;
  promptUpdateValue = check.promptValue;
  // The plan is "nothing" unless the page's manifest is validly signed, newer than this
  // build and names a plain file.
  const update_page::UpdatePlan plan = check.plan;
  if (UpdateFailedThisRun()) return;
  if (plan.openAtOnce) OpenUpdateWindow();
  // An update that failed meanwhile is not offered again.
  if (!plan.askAfterwards || UpdateFailedThisRun()) return;
  // An update window closed by hand was the last window, and its end asked the message
  // loop to quit; that request would dismiss the question unanswered. It is held back
  // while the question (and the update window it may open) is up, then put back.
  MSG quit;
  const bool quitPending = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (ui::ShowMessageBox("当前程序已经有更新版本,是否更新", "字幕工具版本更新提示：", MB_YESNO) == IDYES)
    OpenUpdateWindow();
  if (quitPending) PostQuitMessage(static_cast<int>(quit.wParam));
}
