// The features' own state, held by the roof for the whole run: one object per feature,
// each handed its collaborators and the build's settings as it is made, and bound to its
// handlers in the event table (app/event_table.cpp).
#pragma once

#include <string>

#include "app/about_page.h"
#include "billboard/billboard.h"
#include "delivery/playback.h"
#include "delivery/playback_hot_keys.h"
#include "delivery/target_picker.h"
#include "lyrics/lyrics_folder_win.h"
#include "search/lyric_search_win.h"
#include "update/self_update_win.h"

// What the build says that the features use.
struct FeatureSettings {
  std::string lyricsHost;    // host[:port] of the lyrics site
  std::string makerAddress;  // host[:port] of the maker's web site
  SelfUpdateSettings update;  // the update host and the running version
};

// Playback holds the target window: the picker names it, and the scroller and the
// billboard deliver into it as playback does.
struct Features {
  explicit Features(const FeatureSettings& settings);
  Features(const Features&) = delete;
  Features& operator=(const Features&) = delete;

  Playback playback;
  TargetPicker picker{playback.Target(), [this] { playback.OnPickEnded(); }};
  Scroller scroller{playback.Target()};
  Billboard billboard{playback.Target()};
  PlaybackHotKeys hotKeys{playback};
  LyricsFolder lyricsFolder;
  LyricSearch lyricSearch;
  SelfUpdate selfUpdate;
  AboutPage about;

  // A main window made anew finds playback, the ticker, the billboard and the hot keys
  // idle; then come the start-up update check, the lyrics folder box, the page shown
  // first and the play button's list of hot keys.
  void OnMainWindowCreated();
};
