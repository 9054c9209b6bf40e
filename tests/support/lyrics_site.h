// The stand-in lyrics site of tools/ for the Win32 tests: a Linux process started
// through Wine on a free loopback port, with a catalogue of the test's own, ended when
// the object goes.
#pragma once

#include <string>
#include <vector>

#include "support/win_test_support.h"

// A catalogue folder for the site: index.tsv plus the lyric files, written by a test.
class SiteCatalogue {
 public:
  // A song served from a file of these exact bytes.
  void Add(const std::string& file, const std::string& singer, const std::string& song, const std::string& bytes);
  // A hit whose link is put into the page as given ("{base}" becomes the site's address).
  void AddLink(const std::string& singer, const std::string& song, const std::string& link);
  const std::string& Path() const { return folder_.Path(); }

 private:
  void Append(const std::string& line);
  TempFolder folder_;
  std::string index_;
};

class LyricsSite {
 public:
  // Serves tools/lyrics when catalogue is null.
  explicit LyricsSite(const SiteCatalogue* catalogue = nullptr);
  ~LyricsSite();
  LyricsSite(const LyricsSite&) = delete;
  LyricsSite& operator=(const LyricsSite&) = delete;

  bool Running() const { return port_ > 0; }
  int Port() const { return port_; }
  int SilentPort() const { return silentPort_; }    // accepts and never answers
  int RefusedPort() const { return refusedPort_; }  // nothing listens
  std::string Host() const;  // "127.0.0.1:<port>"
  std::string Base() const;  // "http://127.0.0.1:<port>"
  // Each request the site received so far: its request line and headers, one per line.
  std::vector<std::vector<std::string>> Requests() const;

 private:
  TempFolder work_;
  std::string readyFile_;
  std::string logFile_;
  int port_ = 0;
  int silentPort_ = 0;
  int refusedPort_ = 0;
};

// The Linux path of a Windows path (Wine's own mapping); empty when there is none.
std::string UnixPath(const std::string& windowsPath);
