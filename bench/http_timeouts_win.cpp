// What an unreachable lyrics host costs: the time HttpGet blocks the calling thread (and
// with it the window) for each address given, over a few repeats.
//
// Usage (under Wine): http_timeouts_bench.exe REPEATS LABEL=URL...
// bench/http_timeouts.sh sets up a refused port, a silent port and an unknown host.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "now_ms.h"
#include "win/http_get.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s REPEATS LABEL=URL...\n", argv[0]);
    return 2;
  }
  const int repeats = std::max(1, std::atoi(argv[1]));
  std::printf("time-outs: connect %u ms, send %u ms, receive %u ms; %d runs each\n", kHttpConnectTimeoutMs,
              kHttpSendTimeoutMs, kHttpReceiveTimeoutMs, repeats);
  std::printf("%-10s %9s %9s %9s  %s\n", "case", "min ms", "median ms", "max ms", "outcome");
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t eq = arg.find('=');
    const std::string label = eq == std::string::npos ? arg : arg.substr(0, eq);
    const std::string url = eq == std::string::npos ? arg : arg.substr(eq + 1);
    std::vector<double> times;
    HttpResult last;
    for (int r = 0; r < repeats; ++r) {
      const double start = NowMs();
      last = HttpGet(url, kSitePageMaxBytes);
      times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-10s %9.1f %9.1f %9.1f  status %u, %u bytes  (%s)\n", label.c_str(), times.front(),
                times[times.size() / 2], times.back(), last.status, static_cast<unsigned>(last.body.size()),
                url.c_str());
    std::fflush(stdout);
  }
  return 0;
}
