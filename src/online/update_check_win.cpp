// The update check at every start: the page is read off the GUI thread, and the GUI
// thread carries out what it says.
#include <windows.h>
#include <process.h>

#include <atomic>
#include <memory>

#include "win/owners.h"
#include "win/program.h"
#include "layout/program_windows.h"
#include "online/self_update.h"
#include "online/update_check.h"
#include "win/gui_courier.h"
#include "online/update_page.h"
#include "online/update_signature.h"
#include "win/http_get.h"

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

struct PageFetch {
  unsigned number;
  std::string address;
};

// Runs on a thread of its own, which nobody waits for: a user who closes the tool while
// the host keeps silent or the name server never answers ends the process at once.
unsigned __stdcall FetchUpdatePage(void* arg) {
  std::unique_ptr<PageFetch> fetch(static_cast<PageFetch*>(arg));
  auto check = std::make_shared<update_page::UpdateCheck>(update_page::ReadUpdateCheck(
      HttpGetBytes(fetch->address, kUpdatePageMaxBytes), update_signature::VerifyWithBuiltInKey, RunningVersion()));
  RunOnGuiThread([number = fetch->number, check] { OnUpdatePageRead(number, *check); });
  return 0;
}

// The thread's entry: whatever the fetch throws (out of memory, most likely) ends the
// check as one that found no update.
unsigned __stdcall UpdatePageThread(void* arg) {
  const unsigned number = static_cast<PageFetch*>(arg)->number;
  try {
    return FetchUpdatePage(arg);
  } catch (...) {
    try {
      RunOnGuiThread([number] { OnUpdatePageRead(number, update_page::UpdateCheck{}); });
    } catch (...) {
    }
  }
  return 0;
}

}  // namespace

void CheckForUpdate() {
  // After a failed update the tool stays as it is for the rest of the run.
  if (UpdateFailedThisRun()) return;
  EnsureGuiCourier();
  auto* fetch = new PageFetch{++g_checkNumber, UpdatePageAddress()};
  g_checkPending = true;
  const uintptr_t thread = _beginthreadex(nullptr, 0, UpdatePageThread, fetch, 0, nullptr);
  if (!thread) {
    delete fetch;
    g_checkPending = false;
    return;
  }
  UniqueHandle started(reinterpret_cast<HANDLE>(thread));  // the thread runs on without it
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
