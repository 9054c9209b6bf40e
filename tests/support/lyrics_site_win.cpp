#include "support/lyrics_site.h"

#include <windows.h>

#include "win/file_bytes.h"
#include "text/utf8_text.h"

namespace {

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
  Append(file + "\t" + singer + "\t" + song);
}

void SiteCatalogue::AddLink(const std::string& singer, const std::string& song, const std::string& link) {
  Append("-\t" + singer + "\t" + song + "\t" + link);
}


LyricsSite::LyricsSite(const SiteCatalogue* catalogue)
    : readyFile_(work_.Path() + "\\ready.txt"), logFile_(work_.Path() + "\\requests.log") {
  std::string command = Quoted("Z:\\usr\\bin\\python3") + " " + Quoted(RAVO_SOURCE_DIR "/tools/lyrics_site.py") +
                        " --port 0 --test-ports --max-seconds 600 --ready-file " + Quoted(UnixPathOf(readyFile_)) +
                        " --log " + Quoted(UnixPathOf(logFile_));
  if (catalogue) command += " --catalogue " + Quoted(UnixPathOf(catalogue->Path()));
  if (!StartDetached(command)) return;
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
