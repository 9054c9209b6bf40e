#include "win/timed_wait.h"

#include <windows.h>

#include <cstdint>

#include "win/owners.h"
#include "win/wait_with_messages.h"

namespace {

// Every kind of message: keyboard, mouse, posted, timer, paint, sent and hot key.
constexpr DWORD kWakeForAnyMessage = 0xFF;

}  // namespace

void TimedWait(int ms) {
  UniqueHandle timer(CreateWaitableTimerW(nullptr, FALSE, nullptr));
  // Negative due times are relative. For ms <= 0 the due time is an absolute moment in
  // 1601, long past, so the timer is signalled at once. 64 bits: ms * 10000 overflows
  // 32 bits from 215 ms on.
  LARGE_INTEGER due;
  due.QuadPart = static_cast<int64_t>(ms) * -10000;
  if (!timer || !SetWaitableTimer(timer.Get(), &due, 0, nullptr, nullptr, FALSE)) {
    // Without a timer the callers' loops would run without any pause.
    WaitWithMessages(ms);
    return;
  }
  const HANDLE handles[] = {timer.Get()};
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, kWakeForAnyMessage);
    // Anything but "messages arrived" ends the wait: the timer fired, or the wait itself
    // failed and would fail again at once.
    if (r != WAIT_OBJECT_0 + 1) return;
    if (DispatchPendingMessages()) return;
  }
}
