// TimedWait on the GUI thread: messages keep flowing while it waits (posted here, posted
// from another thread, sent from another thread), a time of zero or less returns at
// once, and a quit request ends the wait and stays queued for the message loop.
#include "win/timed_wait.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "win/owners.h"
#include "support/later_on_this_thread.h"

namespace {

bool QuitPending() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

void DropQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

struct Seen {
  std::string what;
  bool duringWait;
};

TEST(TimedWait, DispatchesMessagesAsTheyArriveUntilAQuitRequest) {
  bool waiting = false;
  std::vector<Seen> seen;
  UniqueHandle firstRan(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  LaterOnThisThread postedBefore([&] {
    seen.push_back({"posted before", waiting});
    SetEvent(firstRan.Get());
  });
  LaterOnThisThread sent([&] { seen.push_back({"sent by another thread", waiting}); });
  // The last one ends the wait: a wait that stopped dispatching would run its whole minute.
  LaterOnThisThread postedLater([&] {
    seen.push_back({"posted by another thread", waiting});
    PostQuitMessage(7);
  });
  postedBefore.Post();
  std::thread other([&] {
    WaitForSingleObject(firstRan.Get(), INFINITE);
    SendMessageA(sent.Handle(), WM_APP, 0, 0);
    postedLater.Post();
  });
  waiting = true;
  TimedWait(60000);
  waiting = false;
  other.join();

  ASSERT_EQ(seen.size(), 3u);
  const char* order[] = {"posted before", "sent by another thread", "posted by another thread"};
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].what, order[i]);
    EXPECT_TRUE(seen[i].duringWait) << seen[i].what;
  }
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
}

TEST(TimedWait, ZeroOrLessReturnsAtOnce) {
  // A message is already waiting: a wait that took any time at all would dispatch it.
  for (int ms : {0, -1, -250, INT_MIN}) {
    SCOPED_TRACE(ms);
    int ran = 0;
    LaterOnThisThread pending([&] { ++ran; });
    pending.Post();
    TimedWait(ms);
    EXPECT_EQ(ran, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(ran, 1);
  }
}

TEST(TimedWait, LastsAtLeastTheTimeAsked) {
  // Only the lower bound is checked: a loaded machine may make any wait longer.
  for (int ms : {1, 40, 150, 300}) {
    SCOPED_TRACE(ms);
    const double start = NowMs();
    TimedWait(ms);
    EXPECT_GE(NowMs() - start, ms - 1.0);
  }
}

TEST(TimedWait, AQuitRequestQueuedBeforehandEndsItOnceTheQueueIsDispatched) {
  PostQuitMessage(0);
  int ran = 0;
  LaterOnThisThread other([&] { ++ran; });
  other.Post();
  TimedWait(INT_MAX);
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(QuitPending());
  DropQuit();
}

}  // namespace
