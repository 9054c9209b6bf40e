// The end of a complete update: the process starts the new program and ends.
#pragma once

#include <string>

// Starts the new program, the file the download checked and saved in the program's
// folder, then ends the process with exit code 0; on the downloader's thread. The
// progress display stops first. Returns only when the program could not be started.
void RestartIntoNewProgram(const std::string& checkedProgram);
