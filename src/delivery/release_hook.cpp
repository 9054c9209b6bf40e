#include "delivery/release_hook.h"

ReleaseHook releaseHook;

void ReleaseHook::Register(Callback callback) {
  callback_ = callback;
  if (!hook_.Get()) hook_.Reset(SetWindowsHookExW(WH_JOURNALRECORD, Procedure, GetModuleHandleW(nullptr), 0));
}

void ReleaseHook::Release() {
  callback_ = nullptr;
  hook_.Reset();
}

LRESULT CALLBACK ReleaseHook::Procedure(int code, WPARAM wParam, LPARAM lParam) {
  // Copied before the chain runs: the record belongs to the system and the next hook
  // may change it.
  EVENTMSG record = {};
  if (code == HC_ACTION && lParam) record = *reinterpret_cast<const EVENTMSG*>(lParam);
  const LRESULT result = CallNextHookEx(releaseHook.hook_.Get(), code, wParam, lParam);
  if (record.message == WM_LBUTTONUP && releaseHook.callback_)
    releaseHook.callback_(record.hwnd, record.paramL, record.paramH);
  return result;
}
