// A wait that leaves the calling thread responsive: it sleeps on a one-shot waitable
// timer and wakes for every message that arrives meanwhile, dispatches it, and sleeps
// again. Unlike WaitWithMessages it does not poll, and its length does not depend on the
// tick count's 16 ms steps.
#pragma once

// Waits ms milliseconds while dispatching the calling thread's messages; ms <= 0 returns
// at once. A quit request met while dispatching ends the wait and stays in the queue for
// the message loop: the program is closing, and a long period must
// neither keep it alive nor, with the quit request waking the thread again and again,
// keep the processor busy.
void TimedWait(int ms);
