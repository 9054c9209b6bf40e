#include "win/file_bytes.h"

#include <windows.h>

#include <algorithm>

#include "text/encoding.h"
#include "win/owners.h"

std::string ReadFileBytes(const std::string& path, uint64_t limit) {
  UniqueHandle file(CreateFileW(enc::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > limit) return {};
  std::string bytes;
  char buf[64 * 1024];
  DWORD got = 0;
  while (ReadFile(file.Get(), buf, sizeof(buf), &got, nullptr) && got > 0) {
    if (bytes.size() + got > limit) return {};  // it grew while being read
    bytes.append(buf, got);
  }
  return bytes;
}

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  const std::wstring target = enc::Wide(path);
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
  // A new file beside the old one, which it replaces only once it is complete: a full
  // disk or a failed write leaves the old file as it was.
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(folder.c_str(), L"rav", 0, temp)) return false;
  bool written = false;
  {
    UniqueHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file && WriteAll(file.Get(), bytes);
  }
  if (written && MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp);
  return false;
}

bool FileExists(const std::string& path) { return GetFileAttributesW(enc::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
