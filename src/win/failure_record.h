// Why something failed, as the program can tell it: the stage that was under way and the
// cause, with the system's error or the server's HTTP status. The windows keep their own
// texts; each failure is also written as one line to the system's debug output
// (OutputDebugStringW), where a debug-output viewer or a debugger shows it to the maker.
// Nothing is written to disk.
#pragma once

#include <string>
#include <string_view>

enum class FailureCause {
  NoAnswer,      // a time-out: the host took the connection, or the name, and said nothing
  Refused,       // nobody listens at the host's port
  HostNotFound,  // the host's name does not resolve
  Tls,           // the TLS handshake or the server's certificate failed
  Broken,        // the connection broke off
  HttpStatus,    // the server answered with a status that is no success
  TooLarge,      // a body or file beyond its limit, or another size than the one told
  Deadline,      // the overall deadline passed
  TooSlow,       // below the speed floor
  Signature,     // no validly signed manifest
  NotNewer,      // a signed manifest of a version that is not later
  Expired,       // a signed manifest past its expiry
  FileName,      // a signed manifest whose file name is no plain name
  Hash,          // the file's size or SHA-256 is not the signed one
  Disk,          // the file could not be written, checked or named
  Stopped,       // stopped by the program
  System,        // any other system error
};

struct Failure {
  const char* stage = "";  // what was under way: "send", "read", "check", ...
  FailureCause cause = FailureCause::System;
  unsigned long code = 0;  // the system's error (WinInet's or Win32's), or the HTTP status
};

// The cause a WinInet or Win32 error stands for.
FailureCause CauseOfSystemError(unsigned long error);
// A failure at stage by the system's error.
Failure SystemFailure(const char* stage, unsigned long error);
const char* CauseName(FailureCause cause);
// The cause as the windows tell the user, in one phrase: "网站拒绝了连接",
// "网站回答 HTTP 404", "安全连接（TLS）失败", ...
std::string CauseInWords(const Failure& failure);

// "Ravo字幕器: <what> failed at <stage>: <cause> (<code>)"; the code as "WinInet error
// 12029", "system error 5" or "HTTP 404", left out when there is none.
std::string FailureLine(std::string_view what, const Failure& failure);
// Writes the failure's line to the system's debug output.
void RecordFailure(std::string_view what, const Failure& failure);
