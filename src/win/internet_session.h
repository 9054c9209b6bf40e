// The one way the program opens WinInet: a session with the program's user agent that
// goes through the system's configured connection (the proxy set in the Internet
// options, if any), and the time-outs that bound its waits. The page fetches
// (win/http_get.h) and the update's downloader (update/downloader.h) both open theirs here.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "win/owners.h"

constexpr const char kHttpUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// How long connecting, each send and each wait for data may take; 0 leaves WinInet's own.
struct InternetWaits {
  unsigned connectMs = 0;
  unsigned sendMs = 0;
  unsigned receiveMs = 0;
};

// Sets the waits on a session, connection or request handle. Set on every handle of a
// request, because which handle a WinInet honours them from differs between versions.
void LimitInternetWaits(HINTERNET handle, const InternetWaits& waits);

// A new session with the waits set; null when WinInet refuses one.
UniqueInternet OpenInternetSession(const InternetWaits& waits);
