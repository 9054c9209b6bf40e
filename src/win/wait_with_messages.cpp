#include "win/wait_with_messages.h"

#include <windows.h>

#include "text/tick_count.h"

bool DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

void WaitWithMessages(int ms) {
  if (ms <= 0) return;
  const DWORD start = GetTickCount();
  // A busy loop on purpose: the waits are a few ticks long and must not depend on any
  // message arriving to wake the thread.
  for (;;) {
    DispatchPendingMessages();
    DispatchPendingMessages();
    if (TicksHavePassed(start, GetTickCount(), static_cast<uint32_t>(ms))) return;
    DispatchPendingMessages();
    DispatchPendingMessages();
  }
}
