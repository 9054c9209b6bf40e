// Start-up: the main window, the message loop until the last window closes.
#pragma once

// Runs the program; returns the process exit code.
int RunProgram();
