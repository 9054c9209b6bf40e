#include "update/download_transfer_win.h"

#include <algorithm>
#include <limits>

#include "text/encoding.h"
#include "win/wininet_calls.h"

namespace {

// A connection that breaks this many times in a row without a byte of progress ends
// the task.
constexpr int kAttemptsWithoutProgress = 3;
constexpr DWORD kPauseBeforeRetryMs = 100;
constexpr size_t kWriteBlockBytes = 1 << 20;

}  // namespace

Transfer::Transfer(Task& task, const std::string& range) : task_(task) {
  connection_.Reset(net::InternetConnectW(task.session.Get(), enc::Wide(task.url.host).c_str(), task.url.port, nullptr, nullptr,
                                      INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) {
    error_ = GetLastError();
    return;
  }
  LimitInternetWaits(connection_.Get(), task.waits);
  const wchar_t* acceptTypes[] = {L"*/*", nullptr};
  // Over https the server's certificate is checked by the system and any error fails
  // the request: no SECURITY_FLAG_IGNORE_* is ever set.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  if (task.url.secure) flags |= INTERNET_FLAG_SECURE;
  UniqueInternet request(
      net::HttpOpenRequestW(connection_.Get(), L"GET", enc::Wide(task.url.object).c_str(), nullptr, nullptr, acceptTypes, flags, 0));
  if (!request) {
    error_ = GetLastError();
    return;
  }
  const HINTERNET tracked = request.Get();
  if (!task.Track(request)) return;
  request_ = tracked;
  LimitInternetWaits(request_, task.waits);
  const std::wstring headers = range.empty() ? std::wstring() : enc::Wide("Range: " + range + "\r\n");
  const BOOL sent = net::HttpSendRequestW(request_, headers.empty() ? nullptr : headers.c_str(),
                                     static_cast<DWORD>(headers.size()), nullptr, 0);
  task.Touch();
  if (!sent) {
    error_ = GetLastError();
    return;
  }
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (net::HttpQueryInfoW(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
    status_ = status;
  if (auto text = Header(HTTP_QUERY_CONTENT_LENGTH)) length_ = download_plan::ParseByteCount(*text).value_or(-1);
  if (auto text = Header(HTTP_QUERY_CONTENT_RANGE)) range_ = download_plan::ParseContentRange(*text);
}

Failure Transfer::Why() const {
  if (error_ != 0) return SystemFailure(status_ == 0 ? "send" : "read", error_);
  if (status_ != 200 && status_ != 206) return {"answer", FailureCause::HttpStatus, status_};
  return {"read", FailureCause::Broken, 0};
}

Transfer::~Transfer() {
  if (request_) task_.Release(request_);
}

bool Transfer::ReadInto(Slice& slice, std::vector<char>& block, DWORD readSize) {
  int64_t blockStart = slice.pos;
  size_t used = 0;
  bool endedNormally = false;
  for (;;) {
    if (task_.Cancelled()) break;
    const int64_t left = slice.end - slice.pos;
    if (left <= 0) {
      endedNormally = true;
      break;
    }
    if (used + readSize > block.size()) {
      if (!Flush(blockStart, block, used)) return false;
      blockStart = slice.pos;
      used = 0;
    }
    // Only what has arrived is read: a read of a whole buffer would wait for all of it,
    // and a server that trickles would hold the reader past a stop or a failure.
    DWORD available = 0;
    if (!net::InternetQueryDataAvailable(request_, &available, 0, 0)) {
      error_ = GetLastError();
      break;
    }
    if (available == 0) {
      endedNormally = true;
      break;
    }
    const DWORD want = static_cast<DWORD>(std::min<int64_t>({left, readSize, available}));
    DWORD got = 0;
    if (!net::InternetReadFile(request_, block.data() + used, want, &got)) {
      error_ = GetLastError();
      break;
    }
    if (got == 0) {
      endedNormally = true;
      break;
    }
    used += got;
    slice.pos += got;
    task_.Count(got);
  }
  return Flush(blockStart, block, used) && endedNormally;
}

bool Transfer::Flush(int64_t offset, const std::vector<char>& block, size_t used) {
  if (used == 0 || task_.WriteAt(offset, block.data(), static_cast<DWORD>(used))) return true;
  task_.FailBySystem("write", GetLastError());  // the disk, not the network: no point in trying again
  return false;
}

std::optional<std::string> Transfer::Header(DWORD query) const {
  wchar_t text[256] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (!net::HttpQueryInfoW(request_, query, text, &size, nullptr)) return std::nullopt;
  return enc::Narrow(std::wstring_view(text, size / sizeof(wchar_t)));
}

std::unique_ptr<Transfer> OpenFirst(Downloader::Task& task, int64_t& total) {
  auto first = std::make_unique<Transfer>(task, "bytes=0-");
  if (first->Status() == 416) first = std::make_unique<Transfer>(task, "");  // an empty file
  const int64_t told = task.settings.expectedBytes;
  total = -1;
  const Failure otherSize{"size", FailureCause::TooLarge, 0};
  if (first->Status() == 206) {
    const auto& range = first->Range();
    if (!range || range->first != 0 || range->total < 0) {
      task.Fail({"answer", FailureCause::Broken, 206});
      return nullptr;
    }
    // A part longer than the whole is another size too.
    if (!download_plan::AnnouncedSizeFits(range->total, told) || first->Length() > range->total) {
      task.Fail(otherSize);
      return nullptr;
    }
    task.rangesHonoured = true;
    total = range->total;
    return first;
  }
  if (first->Status() == 200) {
    if (!download_plan::AnnouncedSizeFits(first->Length(), told)) {
      task.Fail(otherSize);
      return nullptr;
    }
    // Without a length the told size is where the body ends for the task.
    total = first->Length() >= 0 ? first->Length() : told;
    return first;
  }
  task.Fail(first->Why());
  return nullptr;
}

bool FetchSlice(Downloader::Task& task, Slice& slice, std::unique_ptr<Transfer> opened) {
  const DWORD readSize = static_cast<DWORD>(task.settings.bufferBytes);
  std::vector<char> block(std::max<size_t>(readSize, kWriteBlockBytes));
  int attemptsWithoutProgress = 0;
  for (;;) {
    const int64_t before = slice.pos;
    std::unique_ptr<Transfer> transfer = std::move(opened);
    // Why this transfer brought no more: its own error or status, or a connection that broke off.
    Failure why{"read", FailureCause::Broken, 0};
    if (!transfer) {
      transfer = std::make_unique<Transfer>(task, download_plan::RangeHeader(before, slice.end));
      const auto& range = transfer->Range();
      // A server that answers a range with another one (or the whole file), or now
      // names another total, cannot be used for this slice.
      if (transfer->Status() != 206 || !range || range->first != before || range->total != task.total) {
        why = transfer->Status() == 206 ? Failure{"answer", FailureCause::Broken, 206} : transfer->Why();
        transfer.reset();
      }
    }
    const bool endedNormally = transfer && transfer->ReadInto(slice, block, readSize);
    if (transfer) why = transfer->Why();
    if (slice.end == download_plan::kUnknownEnd) {
      // Size never announced: the end of the body is the end of the file.
      if (!endedNormally && !task.Cancelled()) task.Fail(why);
      return endedNormally && !task.Cancelled();
    }
    if (slice.pos >= slice.end) return true;
    if (task.Cancelled()) return false;
    if (!task.rangesHonoured) {
      task.Fail(why);
      return false;
    }
    attemptsWithoutProgress = slice.pos > before ? 0 : attemptsWithoutProgress + 1;
    if (attemptsWithoutProgress >= kAttemptsWithoutProgress) {
      task.Fail(why);
      return false;
    }
    task.PauseBeforeRetry(kPauseBeforeRetryMs);
  }
}
