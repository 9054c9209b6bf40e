// Whole-file reads and writes, and whether a file is there.
#pragma once

#include <string>
#include <string_view>

#include <cstdint>

// The whole file as bytes; a missing or unreadable file, or one larger than limit bytes,
// gives empty bytes.
std::string ReadFileBytes(const std::string& path, uint64_t limit = UINT64_MAX);
// Replaces the file with bytes, through a temporary file in the same folder that takes the
// old file's place only once it is complete; false when it could not be written
// completely, and then the old file (if any) is left as it was and no temporary file stays.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// True when a file (or a folder) stands at path.
bool FileExists(const std::string& path);
