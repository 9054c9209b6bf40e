// The binding of window events to handlers: one readable table, handed to the window
// layer at start-up.
#pragma once

#include <cstddef>

#include "win/ui_event.h"

extern const EventBinding kEventTable[];
extern const size_t kEventTableSize;

// Hands the layouts and the event table to the window layer.
void UseProgramWindows();
