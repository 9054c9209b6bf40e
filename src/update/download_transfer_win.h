// The transfers of a download task: one GET on a connection of its own, and the
// fetching of one slice over as many transfers as it takes.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win/owners.h"
#include "update/download_plan.h"
#include "update/download_task_win.h"

// One GET on its own connection, with the answer's status and size headers.
class Transfer {
 public:
  using Task = Downloader::Task;
  // range: "bytes=a-" or "bytes=a-b"; empty for the whole file.
  Transfer(Task& task, const std::string& range);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  DWORD Status() const { return status_; }
  // Why the answer is none the task can use: the system's error of the request, or its
  // HTTP status.
  Failure Why() const;
  int64_t Length() const { return length_; }  // -1: not announced
  const std::optional<download_plan::ContentRange>& Range() const { return range_; }

  // Reads the answer's body into slice from its current position, at most readSize
  // bytes at a time, until the slice is complete, the body ends, or an error or a stop
  // comes. Returns true when the body ended normally. The reads gather in block and go
  // to the file a block at a time: a write per read would cost more than the read.
  bool ReadInto(Slice& slice, std::vector<char>& block, DWORD readSize);

 private:
  bool Flush(int64_t offset, const std::vector<char>& block, size_t used);
  std::optional<std::string> Header(DWORD query) const;

  Task& task_;
  UniqueInternet connection_;
  HINTERNET request_ = nullptr;  // tracked by the task, which closes it
  DWORD status_ = 0;
  DWORD error_ = 0;  // of the call that failed before an answer came
  int64_t length_ = -1;
  std::optional<download_plan::ContentRange> range_;
};

// Asks for the whole file as a range: a 206 answer tells that ranges are honoured
// (task.rangesHonoured) and gives the size; a 200 answer is the whole file over this one
// connection. total: the size, -1 when not announced (the told size, when the task was
// told one). None when neither came, or when the size announced is not the told one.
std::unique_ptr<Transfer> OpenFirst(Downloader::Task& task, int64_t& total);

// Fetches one slice to its end, resuming a broken connection from its last byte while
// the server honours ranges. `opened` is an answer already under way for this slice.
bool FetchSlice(Downloader::Task& task, Slice& slice, std::unique_ptr<Transfer> opened);
