#include "win/gui_courier.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <map>
#include <mutex>

namespace {

constexpr UINT WM_RUN_JOBS = WM_APP + 20;  // no parameters: the jobs are in g_jobs
std::atomic<HWND> g_courier{nullptr};
std::mutex g_jobsLock;
std::deque<std::function<void()>> g_jobs;
// The jobs waiting for their timers, by timer id, with when they were set and for how
// long; the GUI thread's own.
struct TimedJob {
  DWORD setAt;
  unsigned ms;
  std::function<void()> job;
};
std::map<UINT_PTR, TimedJob> g_timed;
UINT_PTR g_lastTimer = 0;

void RunQueuedJobs() {
  for (;;) {
    std::function<void()> job;
    {
      std::lock_guard<std::mutex> hold(g_jobsLock);
      if (g_jobs.empty()) return;
      job = std::move(g_jobs.front());
      g_jobs.pop_front();
    }
    // A job that throws (out of memory, most likely) is dropped; the jobs behind it run.
    try {
      job();
    } catch (...) {
    }
  }
}

void RunTimedJob(HWND courier, UINT_PTR id) {
  const auto it = g_timed.find(id);
  if (it == g_timed.end()) return;
  // A timer message another program posted, long before the time: nothing runs. (The
  // tick count steps by about 16 ms, hence the margin.)
  if (GetTickCount() - it->second.setAt + 32 < it->second.ms) return;
  KillTimer(courier, id);
  const std::function<void()> job = std::move(it->second.job);
  g_timed.erase(it);
  try {
    job();
  } catch (...) {
  }
}

LRESULT CALLBACK CourierProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    RunTimedJob(hwnd, wp);
    return 0;
  }
  if (msg != WM_RUN_JOBS) return DefWindowProcW(hwnd, msg, wp, lp);
  RunQueuedJobs();
  return 0;
}

}  // namespace

void EnsureGuiCourier() {
  if (g_courier.load()) return;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CourierProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"RavoGuiCourier";
  RegisterClassW(&wc);
  g_courier = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

bool RunOnGuiThread(std::function<void()> job) {
  HWND courier = g_courier.load();
  if (!courier) return false;
  {
    std::lock_guard<std::mutex> hold(g_jobsLock);
    g_jobs.push_back(std::move(job));
  }
  // A wake that the system refuses (a full queue) is made up for by the next one: the
  // job stays in line.
  PostMessageW(courier, WM_RUN_JOBS, 0, 0);
  return true;
}

bool RunOnGuiThreadAfter(unsigned ms, std::function<void()> job) {
  HWND courier = g_courier.load();
  if (!courier) return false;
  const UINT_PTR id = ++g_lastTimer;
  if (!SetTimer(courier, id, ms, nullptr)) return false;
  g_timed[id] = TimedJob{GetTickCount(), ms, std::move(job)};
  return true;
}
