// The short waits of the GUI thread that dispatch its messages meanwhile.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/later_on_this_thread.h"
#include "support/win_test_support.h"
#include "win/wait_with_messages.h"

namespace {

TEST(WaitWithMessages, ReturnsAtOnceWithoutDispatchingForZeroOrLess) {
  LaterOnThisThread window(nullptr);
  window.Post();
  WaitWithMessages(0);
  WaitWithMessages(-5);
  EXPECT_EQ(window.runs, 0);
  PumpOwnQueue();
  EXPECT_EQ(window.runs, 1);  // the message was there all along
}

TEST(WaitWithMessages, DispatchesWhatArrivesAndWaitsTillTheTickCountHasPassed) {
  // Each message posts the next, so only a wait that dispatches throughout sees all five.
  LaterOnThisThread* self = nullptr;
  LaterOnThisThread window([&] {
    if (self->runs < 5) self->Post();
  });
  self = &window;
  window.Post();
  const DWORD start = GetTickCount();
  WaitWithMessages(50);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(window.runs, 5);
  EXPECT_GT(elapsed, 50u);
}

TEST(WaitWithMessages, PutsAQuitRequestBackForTheMessageLoop) {
  LaterOnThisThread window(nullptr);
  window.Post();
  PostQuitMessage(7);
  WaitWithMessages(20);
  EXPECT_EQ(window.runs, 1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);

  window.Post();
  window.Post();
  PostQuitMessage(8);
  DispatchPendingMessages();
  EXPECT_EQ(window.runs, 3);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 8u);
}

}  // namespace
