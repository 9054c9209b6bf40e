// The binding of window events to the handlers of the roof's feature objects: one
// readable table, each row a member of one feature.
#pragma once

#include <vector>

#include "win/ui_event.h"

struct Features;

// The table bound to features, which must outlive it.
std::vector<EventBinding> BindEvents(Features& features);
