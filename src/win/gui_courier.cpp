#include "win/gui_courier.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>

namespace {

constexpr UINT WM_RUN_JOBS = WM_APP + 20;  // no parameters: the jobs are in g_jobs
std::atomic<HWND> g_courier{nullptr};
std::mutex g_jobsLock;
std::deque<std::function<void()>> g_jobs;

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

LRESULT CALLBACK CourierProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
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
