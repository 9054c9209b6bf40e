// The update check run at every start.
#pragma once

// Reads the update page and, when an update is due, opens the update window.
void CheckForUpdate();
