#include "support/lyrics_site.h"

#include <windows.h>

#include "win/file_bytes.h"
#include "text/utf8_text.h"

namespace {

// UTF-8 for the index file, which the site reads as UTF-8.
std::string GbkToUtf8(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), n);
  const int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The value of "key=N" in the site's ready file; 0 when absent.
int ReadyValue(const std::string& ready, const std::string& key) {
  for (const std::string& line : utf8::Split(ready, "\n"))
    if (line.compare(0, key.size() + 1, key + "=") == 0) return utf8::ToInt32(line.substr(key.size() + 1));
  return 0;
}

}  // namespace

void SiteCatalogue::Append(const std::string& line) {
  index_ += line + "\n";
  folder_.Write("index.tsv", index_);
}

void SiteCatalogue::Add(const std::string& file, const std::string& singer, const std::string& song,
                        const std::string& bytes) {
  folder_.Write(file, bytes);
  Append(file + "\t" + GbkToUtf8(singer) + "\t" + GbkToUtf8(song));
}

void SiteCatalogue::AddLink(const std::string& singer, const std::string& song, const std::string& link) {
  Append("-\t" + GbkToUtf8(singer) + "\t" + GbkToUtf8(song) + "\t" + link);
}

std::string UnixPath(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  // Through void* because the export's real type is not that of FARPROC.
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), n);
  char* unixPath = toUnix(wide.c_str());
  if (!unixPath) return {};
  std::string out = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return out;
}

LyricsSite::LyricsSite(const SiteCatalogue* catalogue)
    : readyFile_(work_.Path() + "\\ready.txt"), logFile_(work_.Path() + "\\requests.log") {
  std::string command = Quoted("Z:\\usr\\bin\\python3") + " " + Quoted(RAVO_SOURCE_DIR "/tools/lyrics_site.py") +
                        " --port 0 --test-ports --max-seconds 600 --ready-file " + Quoted(UnixPath(readyFile_)) +
                        " --log " + Quoted(UnixPath(logFile_));
  if (catalogue) command += " --catalogue " + Quoted(UnixPath(catalogue->Path()));
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  // Wine runs a Linux program for this, and gives no process handle back.
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  for (int i = 0; i < 200; ++i) {
    const std::string ready = ReadFileBytes(readyFile_);
    if (!ready.empty()) {
      port_ = ReadyValue(ready, "port");
      silentPort_ = ReadyValue(ready, "silent");
      refusedPort_ = ReadyValue(ready, "refused");
      break;
    }
    Sleep(50);
  }
}

LyricsSite::~LyricsSite() {
  // The site watches its ready file, ends when it is gone and then says so; waiting
  // for that keeps it from writing into the folder while the folder is removed.
  DeleteFileA(readyFile_.c_str());
  const std::string ended = readyFile_ + ".ended";
  for (int i = 0; i < 250 && port_ > 0; ++i) {
    if (GetFileAttributesA(ended.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(20);
  }
  DeleteFileA(ended.c_str());
}

std::string LyricsSite::Host() const { return "127.0.0.1:" + std::to_string(port_); }
std::string LyricsSite::Base() const { return "http://" + Host(); }

std::vector<std::vector<std::string>> LyricsSite::Requests() const {
  std::vector<std::vector<std::string>> requests;
  std::vector<std::string> current;
  for (const std::string& line : utf8::Split(ReadFileBytes(logFile_), "\n")) {
    if (line.empty()) {
      if (!current.empty()) requests.push_back(current);
      current.clear();
    } else {
      current.push_back(line);
    }
  }
  if (!current.empty()) requests.push_back(current);
  return requests;
}
