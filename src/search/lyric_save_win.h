// Saving a hit's lyric as "<song>.lrc" in the lyrics folder (lyric_search_win.h). The body is written
// exactly as fetched, never decoded: a save holds only the bytes (at most
// kLyricFileMaxBytes). At most kMaxSavesAtOnce fetches run at a time, the others wait in
// order; a newer save of the same file ends the older one's fetch (or takes its place in
// the queue), so a slow old fetch never replaces a newer file and each file has at most
// one fetch; the program's end ends every fetch.
//
// A save that fails says why, once, in a box ("歌词没有保存：<cause>"). A file of that name
// holding other bytes is replaced only when the user says so; a file changed while the
// question was up is asked about again, so nothing is overwritten that the user did not
// see. A write whose read-back differs says so.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

struct HttpResult;

inline constexpr int kMaxSavesAtOnce = 3;

class LyricSaves {
 public:
  LyricSaves() = default;
  ~LyricSaves() { CancelAll(); }
  LyricSaves(const LyricSaves&) = delete;
  LyricSaves& operator=(const LyricSaves&) = delete;

  // Run on the GUI thread after each save has landed: the path it was for, and whether
  // the file now holds the lyric (written, or holding those bytes already).
  std::function<void(const std::string& path, bool saved)> landed;

  // Fetches url and writes it to path (GUI thread).
  void Save(const std::string& url, const std::string& path);
  // Ends every fetch under way and drops the waiting saves: nothing more is written.
  void CancelAll();
  // Fetches started whose results have not landed (ended ones included), and saves waiting.
  int Fetching() const { return fetching_; }
  int Waiting() const { return static_cast<int>(waiting_.size()); }

 private:
  struct Request {
    std::string url;
    std::string path;
    std::string file;  // the path folded to one case: the file it names
  };
  void StartWaiting();
  void Start(Request request);
  void Landed(unsigned save, const std::string& file, const std::string& path, HttpResult& fetched);

  std::deque<Request> waiting_;
  struct Running {
    unsigned save;
    std::shared_ptr<void> cancel;
  };
  std::map<std::string, Running> running_;  // the newest fetch of each file
  int fetching_ = 0;
  unsigned saves_ = 0;
  // Landings that come after the saves are gone find this expired.
  std::shared_ptr<LyricSaves*> self_ = std::make_shared<LyricSaves*>(this);
};

// Writes bytes to path as a save does: asks before replacing other bytes (again if the
// file changed while asked), says why when the write fails or reads back different.
// True when the file holds the bytes in the end.
bool WriteSavedLyric(const std::string& path, const std::string& bytes);
