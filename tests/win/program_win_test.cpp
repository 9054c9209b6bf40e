// One pass over the thread's queue, as the harnesses dispatch it.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <vector>

#include "layout/program_windows.h"
#include "support/debug_output.h"
#include "support/later_on_this_thread.h"
#include "support/win_test_support.h"
#include "win/program.h"

namespace {

TEST(ProcessPendingMessages, DispatchesEverythingWaitingAndPutsAQuitRequestBack) {
  LaterOnThisThread window(nullptr);
  window.Post();
  window.Post();
  PostQuitMessage(8);
  EXPECT_TRUE(ui::ProcessPendingMessages());
  EXPECT_EQ(window.runs, 2);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 8u);
  EXPECT_FALSE(ui::ProcessPendingMessages());
}

// A handler that throws: the window layer's one barrier records it with its cause and
// the program goes on (the next click runs the handler again).
struct ThrowingHandler {
  int calls = 0;
  void OnClick() {
    ++calls;
    throw std::bad_alloc();
  }
};

TEST(EventBarrier, AThrowingHandlerIsRecordedAndTheProgramGoesOn) {
  Program program;
  ThrowingHandler thrower;
  const std::vector<EventBinding> events = {{WindowKind::Main, static_cast<int>(MainCtl::搜索歌词), UiEvent::Clicked,
                                             Bind<&ThrowingHandler::OnClick>(thrower)}};
  ui::UseProgram({program.Layouts().All(), kWindowKinds, events.data(), events.size()});
  DebugOutput debug;
  {
    MainWindowFixture window;
    ASSERT_TRUE(window.Handle());
    const HWND button = M<MainCtl::搜索歌词>().Handle();
    ASSERT_TRUE(button);
    const WPARAM clicked = MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED);
    SendMessageW(window.Handle(), WM_COMMAND, clicked, reinterpret_cast<LPARAM>(button));
    SendMessageW(window.Handle(), WM_COMMAND, clicked, reinterpret_cast<LPARAM>(button));
    EXPECT_TRUE(IsWindow(window.Handle()));
  }
  SupportProgram().Use();
  EXPECT_EQ(thrower.calls, 2);
  EXPECT_NE(debug.Find({"handler of event", "std::bad_alloc", "failed at handler"}), "");
}

// An address the system cannot open says why in a box.
TEST(OpenWebAddress, AnAddressThatCannotOpenSaysWhy) {
  MessageBoxWatcher boxes;
  EXPECT_FALSE(ui::OpenWebAddress("ravo-no-such-scheme:x"));
  const std::vector<MessageBoxWatcher::Seen> seen = boxes.All();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "打开失败");
  EXPECT_EQ(seen[0].text.rfind("网页打不开：ravo-no-such-scheme:x\r\n", 0), 0u) << seen[0].text;
}

}  // namespace
