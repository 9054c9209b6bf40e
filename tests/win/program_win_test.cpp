// One pass over the thread's queue, as the harnesses dispatch it.
#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
