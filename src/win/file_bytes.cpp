#include "win/file_bytes.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

#include "text/encoding.h"
#include "win/owners.h"

std::wstring FilePathForm(const std::string& path) {
  std::wstring wide = enc::Wide(path);
  if (wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  // The folder is made absolute (GetFullPathName resolves "." and ".."), the name is
  // kept: GetFullPathName would drop the dots and spaces at its end.
  const size_t slash = wide.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash + 1);
  const std::wstring name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
  const DWORD n = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(folder.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return wide;
  full.resize(got);
  if (full.back() != L'\\') full += L'\\';
  full += name;
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// GetTempFileName takes a folder of at most MAX_PATH - 14 characters, long-path form
// included; a deeper folder gets a temporary name of the same shape made here.
std::wstring MakeTemporaryFile(const std::wstring& folder, const wchar_t* prefix) {
  std::wstring temp;
  wchar_t made[MAX_PATH];
  if (folder.size() < MAX_PATH - 14 && GetTempFileNameW(folder.c_str(), prefix, 0, made)) return made;
  for (unsigned n = GetTickCount() & 0xFFFF, tries = 0; tries < 16; ++tries, n = (n + 1) & 0xFFFF) {
    wchar_t name[16];
    swprintf(name, 16, L"%ls%X.tmp", prefix, n == 0 ? 1 : n);
    UniqueHandle created(CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (created) return folder + name;
    if (GetLastError() != ERROR_FILE_EXISTS) return {};
  }
  SetLastError(ERROR_FILE_EXISTS);
  return {};
}

std::string ReadFileBytes(const std::string& path, uint64_t limit, unsigned long* error) {
  auto failed = [error](DWORD code) {
    if (error) *error = code;
    return std::string();
  };
  UniqueHandle file(CreateFileW(FilePathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failed(GetLastError());
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return failed(GetLastError());
  if (static_cast<uint64_t>(size.QuadPart) > limit) return failed(ERROR_FILE_TOO_LARGE);
  std::string bytes;
  char buf[64 * 1024];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file.Get(), buf, sizeof(buf), &got, nullptr)) return failed(GetLastError());
    if (got == 0) break;
    if (bytes.size() + got > limit) return failed(ERROR_FILE_TOO_LARGE);  // it grew while being read
    bytes.append(buf, got);
  }
  if (error) *error = 0;
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
  const std::wstring target = FilePathForm(path);
  // A file made read-only is kept, as the system's own replace keeps it; asked before
  // anything is written, so that every file system answers alike.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
  // A new file beside the old one, which it replaces only once it is complete: a full
  // disk or a failed write leaves the old file as it was.
  const std::wstring temp = MakeTemporaryFile(folder, kWriteTempPrefix);
  if (temp.empty()) return false;
  bool written = false;
  {
    UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    written = file && WriteAll(file.Get(), bytes);
  }
  if (written && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD error = GetLastError();
  DeleteFileW(temp.c_str());
  SetLastError(error);
  return false;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(FilePathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

// GetTempFileName's names for prefix: the prefix, one to four hexadecimal digits, ".tmp".
bool IsTemporaryName(const std::wstring& name, const std::wstring& prefix) {
  if (name.size() < prefix.size() + 5 || name.size() > prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  if (_wcsicmp(name.c_str() + name.size() - 4, L".tmp") != 0) return false;
  for (size_t i = prefix.size(); i + 4 < name.size(); ++i)
    if (!iswxdigit(name[i])) return false;
  return true;
}

}  // namespace

void RemoveTemporaryLeftovers(const std::string& folder, const wchar_t* prefix) {
  std::wstring base = FilePathForm(folder + "\\x");
  base.pop_back();
  WIN32_FIND_DATAW found;
  UniqueFind find(FindFirstFileW((base + prefix + L"*.tmp").c_str(), &found));
  if (!find) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporaryName(found.cFileName, prefix)) continue;
    UniqueHandle leftover(CreateFileW((base + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  } while (FindNextFileW(find.Get(), &found));
}

std::string SystemErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = n && text ? std::wstring(text, n) : L"";
  if (text) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
  return wide.empty() ? "error " + std::to_string(error) : enc::Narrow(wide);
}
