// One pass over the calling thread's queue, for the waits of test harnesses and
// benchmarks that drive the windows without the program's message loop.
#pragma once

// Dispatches every message waiting for the calling thread once, then returns. A quit
// request met on the way is put back and ends the dispatch, so that the message loop
// that owns the thread still sees it; the answer tells whether one was met. (A wait
// must take that answer from the dispatch itself: a separate peek for the quit request
// would clear the "new message" state, and a message arriving just before that peek
// would then not wake the wait.)
bool DispatchPendingMessages();
