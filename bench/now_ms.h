// The benchmarks' clock: the performance counter in milliseconds.
#pragma once

#include <windows.h>

#include <cstdint>

inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The wall clock in unix milliseconds: what the stand-ins' logs are stamped with.
inline int64_t WallMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return t / 10000 - 11644473600000LL;
}
