// The lines this process writes to the system's debug output, caught where a debugger
// would see them: OutputDebugString raises an exception that the system passes to a
// debugger, or lets go when there is none; a vectored handler sees it first and lets it
// go on. While a DebugOutput exists, every line is kept (its ASCII characters; the rest
// as '?', since the narrow form is in the system's code page).
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "text/encoding.h"

class DebugOutput {
 public:
  DebugOutput() : handler_(AddVectoredExceptionHandler(1, Catch)) {
    std::lock_guard<std::mutex> hold(Lock());
    Lines().clear();
  }
  ~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }
  DebugOutput(const DebugOutput&) = delete;
  DebugOutput& operator=(const DebugOutput&) = delete;

  std::vector<std::string> All() const {
    std::lock_guard<std::mutex> hold(Lock());
    return Lines();
  }
  // The first line that holds every fragment; empty when none does (yet).
  std::string Find(const std::vector<std::string>& fragments) const {
    for (const std::string& line : All()) {
      bool all = true;
      for (const std::string& f : fragments) all = all && line.find(f) != std::string::npos;
      if (all) return line;
    }
    return {};
  }

 private:
  static constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C: length, narrow text
  static constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C: length, wide text, ...
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
  }
  static LONG CALLBACK Catch(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if ((r->ExceptionCode != kPrint && r->ExceptionCode != kPrintWide) || r->NumberParameters < 2)
      return EXCEPTION_CONTINUE_SEARCH;
    std::string line;
    if (r->ExceptionCode == kPrintWide) {
      line = enc::Narrow(reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]));
    } else {
      for (const char* c = reinterpret_cast<const char*>(r->ExceptionInformation[1]); c && *c; ++c)
        line += (static_cast<unsigned char>(*c) < 0x80) ? *c : '?';
    }
    std::lock_guard<std::mutex> hold(Lock());
    Lines().push_back(line);
    return EXCEPTION_CONTINUE_SEARCH;
  }
  PVOID handler_;
};
