// Whole-file reads and writes, and whether a file is there.
//
// Paths are taken as the folder holds them: a name ending in a dot or a space, or a
// path longer than MAX_PATH, reaches its own file (the long-path form \\?\, with the
// folder made absolute and the name kept as it is).
#pragma once

#include <string>
#include <string_view>

#include <cstdint>

// The whole file as bytes; a missing or unreadable file, or one larger than limit bytes,
// gives empty bytes. error, when given, receives the system's error code (0: read).
std::string ReadFileBytes(const std::string& path, uint64_t limit = UINT64_MAX, unsigned long* error = nullptr);
// Replaces the file with bytes, through a temporary file in the same folder that takes the
// old file's place only once it is complete; false when it could not be written
// completely, and then the old file (if any) is left as it was, no temporary file stays
// and the thread's last error says why.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// True when a file (or a folder) stands at path.
bool FileExists(const std::string& path);

// The form of path the "W" file functions take whatever its length and its name's end.
std::wstring FilePathForm(const std::string& path);

// Creates an empty file of a new temporary name ("<prefix>XXXX.tmp") in folder (ending in
// a backslash; in long-path form for a folder of any depth) and returns its path; empty,
// with the thread's last error saying why, when none could be made.
std::wstring MakeTemporaryFile(const std::wstring& folder, const wchar_t* prefix);

// Deletes the temporary files ("<prefix>XXXX.tmp", GetTempFileName's names) that a write
// of a process ended by force left in folder. A file that another writer still has
// open cannot be opened without sharing, and stays.
void RemoveTemporaryLeftovers(const std::string& folder, const wchar_t* prefix);
// The prefix of WriteFileBytes' temporary files.
inline constexpr wchar_t kWriteTempPrefix[] = L"rav";

// The system's text for an error code, in the system's language.
std::string SystemErrorText(unsigned long error);
