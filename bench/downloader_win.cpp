// Fetches one file with the update's downloader and prints how long it took, for
// bench/downloader_vs_curl.sh and tests/e2e/downloader_nginx.sh.
//
//   downloader_bench.exe <url> <save path> [connections=5] [bufferBytes=10240]
//
// Prints "bytes=<n> total=<announced> seconds=<s> MBps=<MiB/s> threads=<t> path=<final path>";
// the time runs from the start of the task to its end event; threads is the most threads
// the task had running beside the process's own at once (sampled every 20 ms). Exit code 0 when the file arrived
// whole, 1 when the task failed, 2 on a wrong command line.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "now_ms.h"
#include "update/downloader.h"

namespace {

HANDLE g_ended = nullptr;
int32_t g_total = -1;
int32_t g_done = 0;
std::string g_path;
bool g_complete = false;

DownloadEvents Events() {
  DownloadEvents events;
  events.sizeKnown = [](int64_t total) { g_total = static_cast<int32_t>(total); };
  events.ended = [](const DownloadResult& result) {
    g_done = static_cast<int32_t>(result.doneBytes);
    g_path = result.savedPath;
    g_complete = result.outcome == DownloadResult::Outcome::Complete;
    SetEvent(g_ended);
  };
  return events;
}

// The threads of this process now.
int LiveThreads() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int n = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <url> <save path> [connections] [bufferBytes]\n", argv[0]);
    return 2;
  }
  g_ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DownloadTask task;
  task.url = argv[1];
  task.savePath = argv[2];
  task.connections = argc > 3 ? std::atoi(argv[3]) : 5;
  task.bufferBytes = argc > 4 ? std::atoi(argv[4]) : 10240;
  task.connectTimeoutMs = 5000;
  task.sendTimeoutMs = 5000;
  task.receiveTimeoutMs = 10000;
  task.events = Events();

  Downloader downloader;
  const int before = LiveThreads();
  int peak = before;
  const double startMs = NowMs();
  if (!downloader.Start(task)) {
    std::fprintf(stderr, "the task was refused\n");
    return 1;
  }
  while (WaitForSingleObject(g_ended, 20) == WAIT_TIMEOUT) peak = std::max(peak, LiveThreads());
  const double seconds = (NowMs() - startMs) / 1000.0;
  std::printf("bytes=%ld total=%ld seconds=%.3f MBps=%.1f threads=%d path=%s\n", static_cast<long>(g_done),
              static_cast<long>(g_total), seconds, g_done / seconds / 1048576.0, peak - before, g_path.c_str());
  std::fflush(stdout);
  // The downloader's own word on the outcome.
  return g_complete && g_total >= 0 && g_done == g_total ? 0 : 1;
}
