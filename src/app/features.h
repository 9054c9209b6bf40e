// The features' own state, held by the roof for the whole run: one object per feature,
// bound to its handlers in the event table (app/event_table.cpp).
#pragma once

#include "billboard/billboard.h"
#include "build_settings.h"
#include "delivery/playback.h"
#include "delivery/playback_hot_keys.h"
#include "delivery/target_picker.h"
#include "search/lyric_search_win.h"
#include "update/self_update_win.h"

// Playback holds the target window: the picker names it, and the scroller and the
// billboard deliver into it as playback does.
struct Features {
  Playback playback;
  TargetPicker picker{playback.Target()};
  Scroller scroller{playback.Target()};
  Billboard billboard{playback.Target()};
  PlaybackHotKeys hotKeys{playback};
  LyricSearch lyricSearch;
  SelfUpdate selfUpdate{{RAVO_UPDATE_HOST, {RAVO_VERSION_MAJOR, RAVO_VERSION_MINOR, RAVO_BUILD_NUMBER}}};
};

// The one set of feature objects; created at its first use, on the GUI thread.
Features& TheFeatures();
