// Where the process stands: its program file and its current folder.
#pragma once

#include <string>

// The full path of the running program's file; empty when the system does not tell.
std::string ProgramFile();
// The process's current folder (no backslash at its end unless it is a drive's root);
// empty when the system does not tell.
std::string CurrentFolder();
