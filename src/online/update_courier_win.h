// The GUI thread's mailbox for the self-update's worker threads: a message-only window
// of its own, on which the GUI thread runs what a worker hands it (the page the start-up
// check read; the download's end stopping the progress timer or showing the failure).
#pragma once

#include <functional>

// Creates the courier; on the GUI thread, before a worker may need it. Once is enough.
void EnsureUpdateCourier();
// From any thread: the GUI thread runs job soon, in the order the jobs were handed in.
// False, and the job is dropped, when there is no courier or the system refuses the
// message.
bool RunOnGuiThread(std::function<void()> job);
