// The update window's progress display: labels and bar at every tick of its timer, and
// the failure shown in place of the percentage. On the GUI thread.
#pragma once

#include "update/downloader.h"
#include "update/progress_text.h"

// One tick, reading the downloader's counters: total is the file's size as announced (0
// until then; the percentage and the remaining time keep their text meanwhile), elapsed
// the clock the tick advances.
void ShowProgress(Downloader& downloader, double total, ElapsedClock& elapsed);
// The display's end: its timer stops; or its timer stops and the percentage's label says
// that the update failed.
void StopProgressTimer();
void ShowUpdateFailed();
