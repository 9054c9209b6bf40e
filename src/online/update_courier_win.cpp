#include "online/update_courier_win.h"

#include <windows.h>

#include <atomic>
#include <memory>

namespace {

constexpr UINT WM_RUN_JOB = WM_APP + 20;  // lParam: std::function<void()>*, owned by the message
std::atomic<HWND> g_courier{nullptr};

LRESULT CALLBACK CourierProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_RUN_JOB) return DefWindowProcA(hwnd, msg, wp, lp);
  const std::unique_ptr<std::function<void()>> job(reinterpret_cast<std::function<void()>*>(lp));
  (*job)();
  return 0;
}

}  // namespace

void EnsureUpdateCourier() {
  if (g_courier.load()) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = CourierProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RavoUpdateCourier";
  RegisterClassA(&wc);
  g_courier = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

bool RunOnGuiThread(std::function<void()> job) {
  HWND courier = g_courier.load();
  if (!courier) return false;
  auto held = std::make_unique<std::function<void()>>(std::move(job));
  if (!PostMessageA(courier, WM_RUN_JOB, 0, reinterpret_cast<LPARAM>(held.get()))) return false;
  held.release();
  return true;
}
