// The one way the program starts a thread: the thread owns what it runs (a callable and
// everything it captured), runs it once and destroys it; nobody waits for it, so a thread
// that is still busy never delays the end of the process.
#pragma once

#include <functional>

// Starts work on a thread of its own. Whatever work throws ends the thread quietly (a job
// that must report a failure catches it itself). False when no thread could be started:
// work is then destroyed without running.
bool StartWorkerThread(std::function<void()> work);
