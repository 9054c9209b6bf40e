// Short waits on the GUI thread that keep the tool's own windows responsive: the
// messages of the calling thread are dispatched all the while, so timers, clicks and
// list events of the tool can run in the middle of the wait.
#pragma once

// Dispatches every message waiting for the calling thread once, then returns. A quit
// request met on the way is put back and ends the dispatch, so that the message loop
// that owns the thread still sees it; the answer tells whether one was met. (A wait
// must take that answer from the dispatch itself: a separate peek for the quit request
// would clear the "new message" state, and a message arriving just before that peek
// would then not wake the wait.)
bool DispatchPendingMessages();

// Waits until the tick count has moved more than ms milliseconds past its value at the
// call, dispatching messages throughout. ms <= 0 returns at once without dispatching.
// The tick count's steps (about 16 ms) set the real length.
void WaitWithMessages(int ms);
