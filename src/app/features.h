// The features' own state, held by the roof for the whole run: one object per feature,
// bound to its handlers in the event table (app/event_table.cpp).
#pragma once

#include "billboard/billboard.h"
#include "search/lyric_search_win.h"
#include "update/self_update_win.h"

struct Features {
  LyricSearch lyricSearch;
  Scroller scroller;
  Billboard billboard;
  SelfUpdate selfUpdate;
};

// The one set of feature objects; created at its first use, on the GUI thread.
Features& TheFeatures();
