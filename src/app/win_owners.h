// Small RAII owners for the Win32 objects the tool acquires: each object is released
// by the operation that acquired it, however that operation ends.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wininet.h>
#include <wincrypt.h>

#include <utility>

// The shape of an owner of one handle: Get, Valid (also as bool), Attach (closing the
// one held), Detach (handing it over unclosed), Close, and moves. Traits names the
// handle's type, which values are none and how a handle is closed.
template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;
  UniqueOwner() = default;
  explicit UniqueOwner(Handle h) : h_(h) {}
  ~UniqueOwner() { Close(); }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& o) noexcept : h_(o.Detach()) {}
  UniqueOwner& operator=(UniqueOwner&& o) noexcept {
    if (this != &o) Attach(o.Detach());
    return *this;
  }
  Handle Get() const { return h_; }
  bool Valid() const { return Traits::Valid(h_); }
  explicit operator bool() const { return Valid(); }
  void Attach(Handle h) {
    Close();
    h_ = h;
  }
  Handle Detach() { return std::exchange(h_, Handle{}); }
  void Close() {
    if (Valid()) Traits::Close(h_);
    h_ = Handle{};
  }

 private:
  Handle h_{};
};

// A kernel handle closed with CloseHandle (INVALID_HANDLE_VALUE and null both mean none).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

// A find handle of FindFirstFileA.
class UniqueFind {
 public:
  explicit UniqueFind(HANDLE h) : h_(h) {}
  ~UniqueFind() {
    if (Valid()) FindClose(h_);
  }
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

// A GDI object (pen, brush, font, bitmap) deleted with DeleteObject.
template <typename T>
class ScopedGdiObj {
 public:
  explicit ScopedGdiObj(T obj = nullptr) : obj_(obj) {}
  ~ScopedGdiObj() { Reset(); }
  ScopedGdiObj(const ScopedGdiObj&) = delete;
  ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;
  ScopedGdiObj(ScopedGdiObj&& o) noexcept : obj_(std::exchange(o.obj_, nullptr)) {}
  ScopedGdiObj& operator=(ScopedGdiObj&& o) noexcept {
    if (this != &o) {
      Reset();
      obj_ = std::exchange(o.obj_, nullptr);
    }
    return *this;
  }
  T Get() const { return obj_; }
  void Reset(T obj = nullptr) {
    if (obj_) DeleteObject(obj_);
    obj_ = obj;
  }

 private:
  T obj_;
};

// A window DC (GetDC/GetWindowDC) given back with ReleaseDC.
class ScopedWindowDC {
 public:
  enum Area { Client, Whole };
  ScopedWindowDC(HWND hwnd, Area area)
      : hwnd_(hwnd), dc_(area == Whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A memory DC deleted with DeleteDC.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~ScopedMemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
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

// A windows hook removed with UnhookWindowsHookEx.
class UniqueHook {
 public:
  UniqueHook() = default;
  ~UniqueHook() { Reset(); }
  UniqueHook(const UniqueHook&) = delete;
  UniqueHook& operator=(const UniqueHook&) = delete;
  HHOOK Get() const { return hook_; }
  void Reset(HHOOK hook = nullptr) {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = hook;
  }

 private:
  HHOOK hook_ = nullptr;
};

// A module loaded with LoadLibraryA.
class UniqueModule {
 public:
  explicit UniqueModule(HMODULE m = nullptr) : m_(m) {}
  ~UniqueModule() {
    if (m_) FreeLibrary(m_);
  }
  UniqueModule(const UniqueModule&) = delete;
  UniqueModule& operator=(const UniqueModule&) = delete;
  HMODULE Get() const { return m_; }

 private:
  HMODULE m_;
};

// A WinInet handle (session, connection or request) closed with InternetCloseHandle.
struct InternetHandleTraits {
  using Handle = HINTERNET;
  static bool Valid(HINTERNET h) { return h != nullptr; }
  static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
using UniqueInternet = UniqueOwner<InternetHandleTraits>;

// Memory the shell hands over (an item ID list), freed with CoTaskMemFree.
class UniqueCoTaskMem {
 public:
  explicit UniqueCoTaskMem(void* p = nullptr) : p_(p) {}
  ~UniqueCoTaskMem() { CoTaskMemFree(p_); }
  UniqueCoTaskMem(const UniqueCoTaskMem&) = delete;
  UniqueCoTaskMem& operator=(const UniqueCoTaskMem&) = delete;
  void* Get() const { return p_; }

 private:
  void* p_;
};

// CryptoAPI objects: a provider context, a key and a hash, each released by its own call.
template <typename H, BOOL(WINAPI* Release)(H)>
class UniqueCrypt {
 public:
  UniqueCrypt() = default;
  ~UniqueCrypt() {
    if (h_) Release(h_);
  }
  UniqueCrypt(const UniqueCrypt&) = delete;
  UniqueCrypt& operator=(const UniqueCrypt&) = delete;
  H Get() const { return h_; }
  H* Receive() { return &h_; }

 private:
  H h_ = 0;
};

// Imported functions are no constant template arguments: each release has a wrapper.
inline BOOL WINAPI ReleaseCryptProvider(HCRYPTPROV h) { return CryptReleaseContext(h, 0); }
inline BOOL WINAPI ReleaseCryptKey(HCRYPTKEY h) { return CryptDestroyKey(h); }
inline BOOL WINAPI ReleaseCryptHash(HCRYPTHASH h) { return CryptDestroyHash(h); }
using UniqueCryptProvider = UniqueCrypt<HCRYPTPROV, ReleaseCryptProvider>;
using UniqueCryptKey = UniqueCrypt<HCRYPTKEY, ReleaseCryptKey>;
using UniqueCryptHash = UniqueCrypt<HCRYPTHASH, ReleaseCryptHash>;
