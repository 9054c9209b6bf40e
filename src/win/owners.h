// Small RAII owners for the Win32 objects the tool acquires: each object is released
// by the operation that acquired it, however that operation ends.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wininet.h>
#include <wincrypt.h>

#include <utility>

// Every owned object has one shape: UniqueOwner<Traits>, where the traits say what the
// handle is, which value means none and how it is released. An owner is moved, never
// copied; Get() lends the handle, Reset(h) releases the old one and takes h, Release()
// gives the handle up without releasing it, Receive() lends the place for a function
// that writes a new handle, and a valid owner converts to true.
template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;
  UniqueOwner() = default;
  explicit UniqueOwner(Handle h, Traits traits = {}) : h_(h), traits_(traits) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& o) noexcept : h_(o.Release()), traits_(o.traits_) {}
  UniqueOwner& operator=(UniqueOwner&& o) noexcept {
    if (this != &o) {
      Reset(o.Release());
      traits_ = o.traits_;
    }
    return *this;
  }
  Handle Get() const { return h_; }
  bool Valid() const { return Traits::Valid(h_); }
  explicit operator bool() const { return Valid(); }
  void Reset(Handle h = Handle()) {
    if (Valid()) traits_.Free(h_);
    h_ = h;
  }
  Handle Release() { return std::exchange(h_, Handle()); }
  Handle* Receive() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Handle();
  Traits traits_;
};

// Traits of handles for which zero means none.
template <typename H, void (*FreeFn)(H)>
struct PlainTraits {
  using Handle = H;
  static bool Valid(H h) { return h != H(); }
  void Free(H h) const { FreeFn(h); }
};

// Imported functions are no constant template arguments, and some release calls take
// more than the handle: each has a small wrapper.
namespace owner_release {
inline void Kernel(HANDLE h) { CloseHandle(h); }
inline void Find(HANDLE h) { FindClose(h); }
inline void MemoryDc(HDC h) { DeleteDC(h); }
inline void Hook(HHOOK h) { UnhookWindowsHookEx(h); }
inline void Module(HMODULE h) { FreeLibrary(h); }
void Internet(HINTERNET h);  // bound at its first use (win/wininet_calls.h)
void CoTaskMem(void* p);  // bound at its first use (win/system_library.h)
inline void CryptProvider(HCRYPTPROV h) { CryptReleaseContext(h, 0); }
inline void CryptKey(HCRYPTKEY h) { CryptDestroyKey(h); }
inline void CryptHash(HCRYPTHASH h) { CryptDestroyHash(h); }
}  // namespace owner_release

// Kernel and find handles: INVALID_HANDLE_VALUE means none too.
template <void (*FreeFn)(HANDLE)>
struct KernelTraits {
  using Handle = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  void Free(HANDLE h) const { FreeFn(h); }
};

// A GDI object (pen, brush, font, bitmap) of type T, deleted with DeleteObject.
template <typename T>
struct GdiTraits {
  using Handle = T;
  static bool Valid(T h) { return h != nullptr; }
  void Free(T h) const { DeleteObject(h); }
};

// A window's DC (GetDC/GetWindowDC), given back to that window with ReleaseDC.
struct WindowDcTraits {
  using Handle = HDC;
  HWND window = nullptr;
  static bool Valid(HDC h) { return h != nullptr; }
  void Free(HDC h) const { ReleaseDC(window, h); }
};

using UniqueHandle = UniqueOwner<KernelTraits<owner_release::Kernel>>;
using UniqueFind = UniqueOwner<KernelTraits<owner_release::Find>>;
template <typename T>
using ScopedGdiObj = UniqueOwner<GdiTraits<T>>;
using UniqueHook = UniqueOwner<PlainTraits<HHOOK, owner_release::Hook>>;
using UniqueModule = UniqueOwner<PlainTraits<HMODULE, owner_release::Module>>;
using UniqueInternet = UniqueOwner<PlainTraits<HINTERNET, owner_release::Internet>>;
using UniqueCoTaskMem = UniqueOwner<PlainTraits<void*, owner_release::CoTaskMem>>;  // memory the shell hands over
using UniqueCryptProvider = UniqueOwner<PlainTraits<HCRYPTPROV, owner_release::CryptProvider>>;
using UniqueCryptKey = UniqueOwner<PlainTraits<HCRYPTKEY, owner_release::CryptKey>>;
using UniqueCryptHash = UniqueOwner<PlainTraits<HCRYPTHASH, owner_release::CryptHash>>;

using UniqueMemoryDC = UniqueOwner<PlainTraits<HDC, owner_release::MemoryDc>>;

// A window's DC of its client area or of the whole window.
class ScopedWindowDC : public UniqueOwner<WindowDcTraits> {
 public:
  enum Area { Client, Whole };
  ScopedWindowDC(HWND hwnd, Area area)
      : UniqueOwner(area == Whole ? GetWindowDC(hwnd) : GetDC(hwnd), WindowDcTraits{hwnd}) {}
};

// Selects an object into a DC and selects the previous one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), prev_(SelectObject(dc, obj)) {}
  ~ScopedSelectObject() {
    if (prev_ && prev_ != HGDI_ERROR) SelectObject(dc_, prev_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ prev_;
};

// Sets a DC's drawing mode and puts the previous one back.
class ScopedRop2 {
 public:
  ScopedRop2(HDC dc, int mode) : dc_(dc), prev_(SetROP2(dc, mode)) {}
  ~ScopedRop2() {
    if (prev_) SetROP2(dc_, prev_);
  }
  ScopedRop2(const ScopedRop2&) = delete;
  ScopedRop2& operator=(const ScopedRop2&) = delete;

 private:
  HDC dc_;
  int prev_;
};
