// The downloader's plan, apart from the network: reading the size headers of an answer,
// slicing the file into byte ranges for the connections, the Range header of a slice,
// the numbered names of a file that exists, and how long a task may stay silent. No
// windows here, so that all of it runs natively.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace download_plan {

// Most connections of one task.
inline constexpr int kMaxConnections = 16;
// Below this a further connection costs more in set-up than it saves.
inline constexpr int64_t kMinSliceBytes = 64 * 1024;
// The end of the only slice of a file whose size is not announced.
inline constexpr int64_t kUnknownEnd = std::numeric_limits<int64_t>::max();

// A byte count as headers write it: ASCII digits only, at least one, no sign, no blank,
// and nothing that overflows 64 bits.
std::optional<int64_t> ParseByteCount(std::string_view text);

// The first byte and the total size of a Content-Range header.
struct ContentRange {
  int64_t first = 0;
  int64_t total = -1;  // -1: "*"
};
// "bytes 0-1023/2048" (the unit in any case); the last byte is not read.
std::optional<ContentRange> ParseContentRange(std::string_view text);

// One slice of the file: bytes [begin, end).
struct ByteRange {
  int64_t begin = 0;
  int64_t end = 0;
};
// The slices of a file of total bytes (-1: unknown), one per connection: a single slice
// unless the server honours ranges and the size is known, and never more slices than
// `connections` (clamped to 1..kMaxConnections) nor one of less than kMinSliceBytes. The
// slices are of equal size but the last, which takes the rest. An unknown size gives the
// single slice [0, kUnknownEnd).
std::vector<ByteRange> SliceFile(int64_t total, bool rangesHonoured, int connections);

// The Range header's value asking for [first, endExclusive): "bytes=first-last".
std::string RangeHeader(int64_t first, int64_t endExclusive);

// "C:\dir\name.exe" -> "C:\dir\name(k).exe"; a name without extension, or with only a
// leading dot, gets the number at its end. Steps from character start to character start.
std::string NumberedName(const std::string& path, int k);
// The first of NumberedName(path, 1), (path, 2), ... (up to 9999) that `taken` says is
// free; none when all are taken.
std::optional<std::string> FreeName(const std::string& path, const std::function<bool(const std::string&)>& taken);
// The folder of a path up to and with its last backslash ("C:\dir\"); "." for a bare
// name.
std::string FolderOf(const std::string& path);

// The longest silence of every transfer after which a task is given up: the sum of its
// three time-outs (a negative one counts as 0), kept below the largest 32-bit count. 0:
// never.
uint32_t StallLimitMs(int32_t connectTimeoutMs, int32_t sendTimeoutMs, int32_t receiveTimeoutMs);

// The overall deadline of a download of the given size: the time at a slow but useful
// speed (kDeadlineBytesPerSecond) and a minute for setting up, never more than
// kMaxDeadlineMs; an unknown size (negative) gets the longest.
inline constexpr int64_t kDeadlineBytesPerSecond = 16 * 1024;
inline constexpr uint32_t kDeadlineSetUpMs = 60000;
inline constexpr uint32_t kMaxDeadlineMs = 300000;
uint32_t DownloadDeadlineMs(int64_t sizeBytes);

// The least speed a task must keep, on average over each window: a server that sends a
// byte now and then keeps every time-out quiet, and would hold the task for ever.
inline constexpr int32_t kSpeedFloorBytesPerSecond = 1024;
inline constexpr uint32_t kSpeedFloorWindowMs = 60000;

// The floor applied over windows that follow one another from the task's start: each
// window of windowMs must bring at least floorBytesPerSecond * windowMs / 1000 bytes.
// Times are tick counts in ms (they may wrap); a window of 0 ms is no floor.
class SpeedFloor {
 public:
  SpeedFloor(uint32_t windowMs, int32_t floorBytesPerSecond, uint32_t startMs);
  // True when a window that has ended by nowMs brought fewer bytes than the floor asks;
  // done: the task's bytes so far. A window that kept to the floor starts the next.
  bool Below(uint32_t nowMs, int64_t done);
  // How long from nowMs until the current window ends and Below has something to judge:
  // 0 when it has ended already; UINT32_MAX with no floor.
  uint32_t MsUntilWindowEnds(uint32_t nowMs) const;

 private:
  uint32_t windowMs_;
  int64_t bytesPerWindow_;
  uint32_t windowStartMs_;
  int64_t doneAtWindowStart_ = 0;
};

// Whether an answer's announced size agrees with the size the task was told: a told
// size of -1 takes any; an announced size of -1 (none) is no disagreement.
bool AnnouncedSizeFits(int64_t announced, int64_t told);

}  // namespace download_plan
