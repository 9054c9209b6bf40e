// Whole-file reads and writes.
#pragma once

#include <string>
#include <string_view>

// The whole file as bytes; a missing or unreadable file gives empty bytes.
std::string ReadFileBytes(const std::string& path);
// Replaces the file with bytes; false when it could not be written completely.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
