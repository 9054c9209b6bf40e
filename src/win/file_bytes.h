// Whole-file reads and writes, and whether a file is there.
#pragma once

#include <string>
#include <string_view>

#include <cstdint>

// The whole file as bytes; a missing or unreadable file, or one larger than limit bytes,
// gives empty bytes.
std::string ReadFileBytes(const std::string& path, uint64_t limit = UINT64_MAX);
// Replaces the file with bytes; false when it could not be written completely.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// True when a file (or a folder) stands at path.
bool FileExists(const std::string& path);
