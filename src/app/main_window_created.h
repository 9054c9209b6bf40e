// What the main window does once it and its controls exist: the start-up update check,
// the lyrics folder box and the page shown first.
#pragma once

void OnMainWindowCreated();
