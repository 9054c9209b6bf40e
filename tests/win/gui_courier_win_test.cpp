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
