// The background file downloader of the self-update.
//
// A Downloader carries out one task at a time. Start() checks the task and hands it to
// worker threads of its own; it returns at once. The file is fetched over HTTP, or over
// HTTPS with the server's certificate checked by the system:
// when the server honours Range requests it is split over up to `connections` requests
// that run side by side, otherwise it comes over one connection. A connection that
// breaks is resumed from its last byte (ranges only) a few times before the task fails.
// A task whose connections all stay silent (no answer, no bytes) for longer than its
// three time-outs together is given up and ends as failed: WinInet's time-outs do not
// end a TLS handshake that stalls, and the task must end all the same. A task that keeps
// talking but brings fewer than speedFloorBytesPerSecond on average over a window of
// speedFloorWindowMs ends as failed too, and so does a task still running at its
// deadlineMs, however it trickles.
//
// A task told its file's size (expectedBytes) takes no other: an answer that announces
// another total (Content-Range's total, or the Content-Length of a whole-file answer)
// ends the task as failed before anything is reserved on disk, and no read goes past
// that size, whatever the server sends.
//
// The task's eventHandler is called on a worker thread as
//     eventHandler(event, task, value, 0, task)
// where task points at the downloader's own copy of the task:
//
//   kEventTotalSize (3)   value: the file's total size in bytes. Raised once, as soon
//                         as the server has announced it (never when it does not).
//   kEventEnded     (4)   value: bytes done. Raised exactly once per started task when
//                         it has ended, complete or not, after every connection has
//                         ended. task->complete says how it ended: true only when every
//                         byte arrived, checkFile accepted the file and it carries its
//                         final name, task->savePath; otherwise task->failure says why
//                         (the first failure the task met: its stage and cause, with the
//                         WinInet or system error or the HTTP status), and the same is
//                         written as a line to the system's debug output. The file is then still held open
//                         by the downloader (read, no write or delete sharing) until the
//                         handler returns: what the handler starts is the file checked.
//   kEventFileExists (18) savePath already exists, raised before anything is fetched.
//                         Answer 0: the downloader saves under a free name of its own,
//                         "name(1).ext", "name(2).ext", ...; any other answer: the
//                         existing file is replaced once the download is complete.
//
// The handler's answer is ignored for the other events.
//
// A file gets its final name only when every byte has arrived and the task's checkFile
// accepts it: until then the bytes go to a temporary file beside it ("rdl*.tmp"), which
// is deleted when the task fails, is stopped or the check refuses it. Such files that a
// process ended by force left behind are deleted when the next task starts there.
// A task stopped by Stop() or by the destructor raises no further event.
//
// Values handed to events and returned by the queries are 32-bit: sizes beyond 2 GB
// read as INT32_MAX. The progress queries may be called from any thread. Every thread of
// the downloader catches what its work can throw: a task that meets an exception ends as
// failed, with event 4.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "update/download_plan.h"
#include "win/failure_record.h"

struct DownloadTask;
using DownloadEventHandler = std::function<int32_t(int32_t event, DownloadTask* task, int32_t value, int32_t reserved,
                                                   DownloadTask* reservedTask)>;

constexpr int32_t kDownloadToFile = 4096;
constexpr int32_t kEventTotalSize = 3;
constexpr int32_t kEventEnded = 4;
constexpr int32_t kEventFileExists = 18;

// The settings of one download.
struct DownloadTask {
  int32_t kind = 1;                  // kDownloadToFile is the only kind carried out
  std::string url;                   // "http://host[:port]/path" or "https://..."
  std::string savePath;              // full path of the file to write
  int32_t connections = 1;           // parallel Range requests, 1..16
  int32_t connectTimeoutMs = 20000;
  int32_t sendTimeoutMs = 20000;
  int32_t receiveTimeoutMs = 20000;  // longest wait for the next bytes of an answer
  int32_t stopWaitMs = 1000;         // longest wait for the connections when stopped
  int32_t bufferBytes = 20480;       // most bytes read from a connection at a time
  DownloadEventHandler eventHandler = nullptr;
  // The file's size as the task knows it from elsewhere (a signed manifest); -1: any.
  int64_t expectedBytes = -1;
  // The speed floor (download_plan::SpeedFloor); tests shorten the window.
  int32_t speedFloorBytesPerSecond = download_plan::kSpeedFloorBytesPerSecond;
  uint32_t speedFloorWindowMs = download_plan::kSpeedFloorWindowMs;
  // The longest the task may run from its start, however it trickles; 0: no deadline
  // (download_plan::DownloadDeadlineMs gives one for a known size).
  uint32_t deadlineMs = 0;
  // Called on a worker thread with the complete temporary file, opened for reading only
  // (a Win32 file handle at the file's start) and held so that nobody can write, rename
  // or delete it, before it takes its final name through that same handle. False: the
  // file is deleted and the task ends as failed, with savePath never written. None:
  // every complete file is taken.
  std::function<bool(void* file)> checkFile;

  // Written by the downloader before event 4: how the task ended (see kEventEnded).
  bool complete = false;
  Failure failure;
};

class Downloader {
 public:
  Downloader();
  // Stops a running task, waiting at most its stopWaitMs.
  ~Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // False, and no event ever follows, when the task is refused: another task still
  // runs, the kind is not kDownloadToFile, the address is not an http:// or
  // https:// address with a host, or savePath is empty.
  bool Start(const DownloadTask& task);
  // Ends the running task without event 4. Waits at most the task's stopWaitMs for its
  // connections; a connection still blocked after that ends on its own time-out.
  void Stop();
  bool Running() const;

  // Bytes of the running task written so far; 0 when no task is running.
  int32_t DoneBytes() const;
  // Bytes the running task received since the previous call; 0 when no task runs.
  int32_t TakeTaskBytes();
  // Bytes received by every transfer of this downloader since the previous call.
  int32_t TakeAllBytes();

  struct Task;  // the state the worker threads share

 private:
  std::shared_ptr<Task> task_;
  struct Totals;
  std::shared_ptr<Totals> totals_;
};
