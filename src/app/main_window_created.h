// What the main window does once it and its controls exist: the start-up update check,
// the lyrics folder box, the page shown first and the play button's list of hot keys.
#pragma once

void OnMainWindowCreated();
