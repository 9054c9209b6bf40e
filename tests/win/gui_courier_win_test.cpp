// The courier that hands work from other threads to the GUI thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <thread>
#include <vector>

#include "win/gui_courier.h"

namespace {

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Any process on the desktop can post to the courier's window: whatever its parameters
// say, a message runs only the jobs queued by the program itself, in their order.
TEST(GuiCourier, RunsQueuedJobsInOrderAndForgedMessagesRunNothing) {
  EnsureGuiCourier();
  const HWND courier = FindWindowExW(HWND_MESSAGE, nullptr, L"RavoGuiCourier", nullptr);
  ASSERT_NE(courier, nullptr);
  for (UINT message = WM_APP; message < WM_APP + 64; ++message)
    PostMessageW(courier, message, 0x1234, static_cast<LPARAM>(0xDEADBEEF));
  PumpPendingMessages();

  std::vector<int> ran;
  std::thread worker([&ran] {
    for (int job = 1; job <= 3; ++job) RunOnGuiThread([&ran, job] { ran.push_back(job); });
  });
  worker.join();
  EXPECT_TRUE(ran.empty()) << "a job ran on the wrong thread";
  PumpPendingMessages();
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

// Timed jobs run once each, in the order their times come and not before, while the
// thread goes on with its messages; a timer message of another program runs nothing.
TEST(GuiCourier, TimedJobsRunOnceWhenTheirTimeHasCome) {
  EnsureGuiCourier();
  const HWND courier = FindWindowExW(HWND_MESSAGE, nullptr, L"RavoGuiCourier", nullptr);
  ASSERT_NE(courier, nullptr);
  std::vector<int> ran;
  ASSERT_TRUE(RunOnGuiThreadAfter(1500, [&ran] { ran.push_back(2); }));
  ASSERT_TRUE(RunOnGuiThreadAfter(500, [&ran] { ran.push_back(1); }));
  for (UINT_PTR id = 0; id < 64; ++id) PostMessageW(courier, WM_TIMER, id, 0);
  PumpPendingMessages();
  EXPECT_TRUE(ran.empty()) << "a job ran before its time";
  const DWORD start = GetTickCount();
  while (ran.size() < 2 && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    PumpPendingMessages();
  }
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  Sleep(600);
  PumpPendingMessages();
  EXPECT_EQ(ran.size(), 2u) << "a job ran twice";
}

// A job that throws (a lyric too large for the memory left) is dropped; the window's
// thread and the jobs behind it go on.
TEST(GuiCourier, AJobThatThrowsIsDroppedAndTheNextRuns) {
  EnsureGuiCourier();
  std::vector<int> ran;
  RunOnGuiThread([] { throw std::bad_alloc(); });
  RunOnGuiThread([&ran] { ran.push_back(1); });
  PumpPendingMessages();
  EXPECT_EQ(ran, std::vector<int>{1});
}

}  // namespace
