// The update check run at every start.
#pragma once

// Starts reading the update page off the GUI thread and returns at once. When the page
// has been read, the GUI thread opens the update window or asks, as the page says, if
// the main window is still there. Called once per start, on the GUI thread.
void CheckForUpdate();
