#include "update/download_plan.h"

#include <algorithm>

#include "text/utf8_text.h"

namespace download_plan {

std::optional<int64_t> ParseByteCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = c - '0';
    if (v > (std::numeric_limits<int64_t>::max() - digit) / 10) return std::nullopt;
    v = v * 10 + digit;
  }
  return v;
}

std::optional<ContentRange> ParseContentRange(std::string_view text) {
  if (text.size() < 6 || utf8::ToLowerAscii(text.substr(0, 6)) != "bytes ") return std::nullopt;
  text.remove_prefix(6);
  const size_t dash = text.find('-');
  const size_t slash = text.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
  const auto first = ParseByteCount(text.substr(0, dash));
  if (!first) return std::nullopt;
  ContentRange r;
  r.first = *first;
  if (text.substr(slash + 1) != "*") {
    const auto total = ParseByteCount(text.substr(slash + 1));
    if (!total) return std::nullopt;
    r.total = *total;
  }
  return r;
}

std::vector<ByteRange> SliceFile(int64_t total, bool rangesHonoured, int connections) {
  int n = 1;
  if (rangesHonoured && total > 0) {
    n = std::clamp(connections, 1, kMaxConnections);
    n = static_cast<int>(std::min<int64_t>(n, std::max<int64_t>(1, total / kMinSliceBytes)));
  }
  const int64_t size = total < 0 ? kUnknownEnd : total;
  std::vector<ByteRange> slices(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    slices[i].begin = size / n * i;
    slices[i].end = i + 1 == n ? size : size / n * (i + 1);
  }
  return slices;
}

std::string RangeHeader(int64_t first, int64_t endExclusive) {
  return "bytes=" + std::to_string(first) + "-" + std::to_string(endExclusive - 1);
}

std::string NumberedName(const std::string& path, int k) {
  const int32_t slash = utf8::FindBackwards(path, "\\");
  const int32_t fileStart = slash < 1 ? 1 : slash + 1;
  const int32_t dot = utf8::FindBackwards(path, ".");
  const std::string number = "(" + std::to_string(k) + ")";
  if (dot <= fileStart) return path + number;
  return utf8::Left(path, dot - 1) + number + utf8::Mid(path, dot, utf8::Len(path));
}

std::optional<std::string> FreeName(const std::string& path, const std::function<bool(const std::string&)>& taken) {
  for (int k = 1; k < 10000; ++k) {
    std::string candidate = NumberedName(path, k);
    if (!taken(candidate)) return candidate;
  }
  return std::nullopt;
}

std::string FolderOf(const std::string& path) {
  const int32_t slash = utf8::FindBackwards(path, "\\");
  return slash < 1 ? std::string(".") : utf8::Left(path, slash);
}

uint32_t StallLimitMs(int32_t connectTimeoutMs, int32_t sendTimeoutMs, int32_t receiveTimeoutMs) {
  int64_t sum = 0;
  for (int32_t ms : {connectTimeoutMs, sendTimeoutMs, receiveTimeoutMs}) sum += std::max(ms, 0);
  return static_cast<uint32_t>(std::min<int64_t>(sum, std::numeric_limits<uint32_t>::max() - 1));
}

SpeedFloor::SpeedFloor(uint32_t windowMs, int32_t floorBytesPerSecond, uint32_t startMs)
    : windowMs_(windowMs),
      bytesPerWindow_(static_cast<int64_t>(std::max(floorBytesPerSecond, 0)) * windowMs / 1000),
      windowStartMs_(startMs) {}

bool SpeedFloor::Below(uint32_t nowMs, int64_t done) {
  if (windowMs_ == 0 || nowMs - windowStartMs_ < windowMs_) return false;
  if (done - doneAtWindowStart_ < bytesPerWindow_) return true;
  windowStartMs_ = nowMs;
  doneAtWindowStart_ = done;
  return false;
}

uint32_t SpeedFloor::MsUntilWindowEnds(uint32_t nowMs) const {
  if (windowMs_ == 0) return std::numeric_limits<uint32_t>::max();
  const uint32_t passed = nowMs - windowStartMs_;
  return passed >= windowMs_ ? 0 : windowMs_ - passed;
}

bool AnnouncedSizeFits(int64_t announced, int64_t told) { return told < 0 || announced < 0 || announced == told; }

uint32_t DownloadDeadlineMs(int64_t sizeBytes) {
  if (sizeBytes < 0) return kMaxDeadlineMs;
  const int64_t transfer = sizeBytes / kDeadlineBytesPerSecond * 1000 + sizeBytes % kDeadlineBytesPerSecond * 1000 / kDeadlineBytesPerSecond;
  return static_cast<uint32_t>(std::min<int64_t>(transfer + kDeadlineSetUpMs, kMaxDeadlineMs));
}

}  // namespace download_plan
