// The GUI thread's mailbox for worker threads: jobs wait in the program's own queue, and
// a message to a message-only window only wakes the GUI thread to run them. The message
// carries nothing, so a message that any other program posts to the window does nothing
// but an empty pass over the queue.
#pragma once

#include <functional>

// Creates the courier; on the GUI thread, before a worker may need it. Once is enough.
void EnsureGuiCourier();
// From any thread: the GUI thread runs job soon, in the order the jobs were handed in; a
// job that throws is dropped and the next one runs.
// False, and the job is dropped, when there is no courier.
bool RunOnGuiThread(std::function<void()> job);
// On the GUI thread: runs job once, ms from now, from a timer of the courier's window; the
// GUI thread goes on with its loop meanwhile. False, and the job is dropped, when there
// is no courier or no timer.
bool RunOnGuiThreadAfter(unsigned ms, std::function<void()> job);
