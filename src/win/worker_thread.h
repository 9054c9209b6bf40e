// The one way the program starts a thread: the thread owns what it runs (a callable and
// everything it captured), runs it once and destroys it. Whatever the work throws ends
// the thread quietly (a job that must report a failure catches it itself).
#pragma once

#include <functional>

#include "win/owners.h"

// Starts work on a thread of its own and hands back the thread's handle, for a caller
// that waits for the thread's end. Null when no thread could be started: work is then
// destroyed without running.
UniqueHandle StartOwnedThread(std::function<void()> work);

// The same thread that nobody waits for, so that a thread still busy never delays the
// end of the process. False when no thread could be started.
bool StartWorkerThread(std::function<void()> work);
