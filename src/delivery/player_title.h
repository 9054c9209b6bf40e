// The track the classic player names in its window title, read without asking the player
// anything: "<n>. <artist> - <title> - Winamp", followed by " [Paused]" or " [Stopped]"
// while it is paused or stopped.
#pragma once

#include <string_view>

#include "delivery/player_source.h"

// The leading number and its dot, the trailing " - Winamp" and the state in brackets are
// cut; what remains is split at its first " - " into artist and title (no " - ": a title
// without artist). A title that does not end in " - Winamp" names no track (the player's
// own name while it holds nothing): an empty track.
PlayerTrack TrackOfPlayerTitle(std::string_view windowTitle);
