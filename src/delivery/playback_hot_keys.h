// The hot keys of playback, held system-wide so that the singer starts, stops and nudges
// the lyrics while the chat client keeps the focus; the play button's tip lists them.
#pragma once

class Playback;

// Ctrl+Alt+P: as the play/stop button; a stop also writes the nickname back.
void OnPlayHotKey(Playback& playback);
// Ctrl+Alt+Right and Ctrl+Alt+Left: the lines not yet written 0.5 s earlier or later.
void OnEarlierHotKey(Playback& playback);
void OnLaterHotKey(Playback& playback);
// Ctrl+Alt+Down: the next line now, the following ones keeping their spacing.
void OnNextLineHotKey(Playback& playback);
// Puts the list of hot keys on the play button's tip, naming those another program
// holds as unavailable.
void ShowPlaybackHotKeys();
