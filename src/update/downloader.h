// The background file downloader of the self-update.
//
// A Downloader carries out one task at a time. Start() checks the task and hands it to
// threads of its own; it returns at once. The file is fetched over HTTP, or over HTTPS
// with the server's certificate checked by the system: when the server honours Range
// requests it is split over up to `connections` requests that run side by side, otherwise
// it comes over one connection. A connection that breaks is resumed from its last byte
// (ranges only) a few times before the task fails. A task whose connections all stay
// silent (no answer, no bytes) for longer than its three time-outs together is given up
// and ends as failed: WinInet's time-outs do not end a TLS handshake that stalls, and the
// task must end all the same. A task that keeps talking but brings fewer than
// speedFloorBytesPerSecond on average over a window of speedFloorWindowMs ends as failed
// too, and so does a task still running at its deadlineMs, however it trickles.
//
// A task told its file's size (expectedBytes) takes no other: an answer that announces
// another total (Content-Range's total, or the Content-Length of a whole-file answer)
// ends the task as failed before anything is reserved on disk, and no read goes past
// that size, whatever the server sends.
//
// Threads: one coordinator per task, and one thread per slice of the file. The slices'
// threads do all the network work and wake the coordinator as they end; the coordinator
// sleeps until then or until the next of its limits falls due (the stall limit, the
// speed floor's window, the deadline), and ends the task.
//
// The task's events (DownloadEvents) are called on the task's threads:
//   sizeKnown(total)     once, as soon as the server has announced the file's size
//                        (never when it does not).
//   replaceExisting(path) savePath already exists, asked before anything is fetched.
//                        False (or no handler): the downloader saves under a free name of
//                        its own, "name(1).ext", "name(2).ext", ...; true: the existing
//                        file is replaced once the download is complete.
//   ended(result)        exactly once per started task, after every connection of it has
//                        ended (or the task was given up): complete, failed or stopped
//                        (DownloadResult). A complete file is still held open by the
//                        downloader (read, no write or delete sharing) until the handler
//                        returns: what the handler starts is the file checked. A failure
//                        is also written as a line to the system's debug output.
// A Downloader being destroyed raises no event any more.
//
// A file gets its final name only when every byte has arrived and the task's checkFile
// accepts it: until then the bytes go to a temporary file beside it ("rdl*.tmp"), which
// is deleted when the task fails, is stopped or the check refuses it. Such files that a
// process ended by force left behind are deleted when the next task starts there.
//
// The progress queries may be called from any thread; they are 32-bit (sizes beyond 2 GB
// read as INT32_MAX). Every thread of the downloader catches what its work can throw: a
// task that meets an exception ends as failed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "update/download_plan.h"
#include "win/failure_record.h"

// How a task ended.
struct DownloadResult {
  enum class Outcome { Complete, Failed, Stopped };
  Outcome outcome = Outcome::Failed;
  // Complete: every byte arrived, checkFile accepted the file and it carries this final
  // name (savePath, or the free name taken instead).
  std::string savedPath;
  // Failed: the first failure the task met, its stage and cause, with the WinInet or
  // system error or the HTTP status.
  Failure failure;
  int64_t doneBytes = 0;
};

struct DownloadEvents {
  std::function<void(int64_t total)> sizeKnown;
  std::function<bool(const std::string& savePath)> replaceExisting;
  std::function<void(const DownloadResult& result)> ended;
};

// The settings of one download.
struct DownloadTask {
  std::string url;                   // "http://host[:port]/path" or "https://..."
  std::string savePath;              // full path of the file to write
  int32_t connections = 1;           // parallel Range requests, 1..16
  int32_t connectTimeoutMs = 20000;
  int32_t sendTimeoutMs = 20000;
  int32_t receiveTimeoutMs = 20000;  // longest wait for the next bytes of an answer
  int32_t stopWaitMs = 1000;         // longest wait for the connections when stopped
  int32_t bufferBytes = 20480;       // most bytes read from a connection at a time
  DownloadEvents events;
  // The file's size as the task knows it from elsewhere (a signed manifest); -1: any.
  int64_t expectedBytes = -1;
  // The speed floor (download_plan::SpeedFloor); tests shorten the window.
  int32_t speedFloorBytesPerSecond = download_plan::kSpeedFloorBytesPerSecond;
  uint32_t speedFloorWindowMs = download_plan::kSpeedFloorWindowMs;
  // The longest the task may run from its start, however it trickles; 0: no deadline
  // (download_plan::DownloadDeadlineMs gives one for a known size).
  uint32_t deadlineMs = 0;
  // Called on a task's thread with the complete temporary file, opened for reading only
  // (a Win32 file handle at the file's start) and held so that nobody can write, rename
  // or delete it, before it takes its final name through that same handle. False: the
  // file is deleted and the task ends as failed, with savePath never written. None:
  // every complete file is taken.
  std::function<bool(void* file)> checkFile;
};

class Downloader {
 public:
  Downloader();
  // Stops a running task, waiting at most its stopWaitMs; no event follows.
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // False, and no event ever follows, when the task is refused: another task still
  // runs, the address is not an http:// or https:// address with a host, or savePath is
  // empty.
  bool Start(const DownloadTask& task);
  // Ends the running task, which ends as stopped. Waits at most the task's stopWaitMs
  // for its connections; a connection still blocked after that ends on its own time-out.
  void Stop();
  bool Running() const;

  // Bytes of the running task written so far; 0 when no task is running.
  int32_t DoneBytes() const;
  // Bytes the running task received since the previous call; 0 when no task runs.
  int32_t TakeTaskBytes();
  // Bytes received by every transfer of this downloader since the previous call.
  int32_t TakeAllBytes();

  class Task;  // the state the task's threads share

 private:
  std::shared_ptr<Task> task_;
  struct Totals;
  std::shared_ptr<Totals> totals_;
};
