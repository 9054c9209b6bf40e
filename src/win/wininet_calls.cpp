#include "win/wininet_calls.h"

#include "win/owners.h"
#include "win/system_library.h"

// Each function binds its WinInet namesake on its first call; a function-local static
// is initialised once even when threads race to it.
#define RAVO_BIND(name)                                                                     \
  static const auto real = system_library::Function<decltype(&::name)>(L"wininet.dll", #name); \
  if (!real) SetLastError(ERROR_PROC_NOT_FOUND)

namespace net {

HINTERNET InternetOpenW(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
  RAVO_BIND(InternetOpenW);
  return real ? real(agent, access, proxy, bypass, flags) : nullptr;
}

HINTERNET InternetConnectW(HINTERNET session, LPCWSTR server, INTERNET_PORT port, LPCWSTR user, LPCWSTR password,
                           DWORD service, DWORD flags, DWORD_PTR context) {
  RAVO_BIND(InternetConnectW);
  return real ? real(session, server, port, user, password, service, flags, context) : nullptr;
}

HINTERNET HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR object, LPCWSTR version, LPCWSTR referrer,
                           LPCWSTR* acceptTypes, DWORD flags, DWORD_PTR context) {
  RAVO_BIND(HttpOpenRequestW);
  return real ? real(connection, verb, object, version, referrer, acceptTypes, flags, context) : nullptr;
}

BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength) {
  RAVO_BIND(HttpSendRequestW);
  return real ? real(request, headers, headersLength, optional, optionalLength) : FALSE;
}

BOOL HttpQueryInfoW(HINTERNET request, DWORD level, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) {
  RAVO_BIND(HttpQueryInfoW);
  return real ? real(request, level, buffer, bufferLength, index) : FALSE;
}

BOOL InternetQueryDataAvailable(HINTERNET file, LPDWORD available, DWORD flags, DWORD_PTR context) {
  RAVO_BIND(InternetQueryDataAvailable);
  return real ? real(file, available, flags, context) : FALSE;
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD toRead, LPDWORD read) {
  RAVO_BIND(InternetReadFile);
  return real ? real(file, buffer, toRead, read) : FALSE;
}

BOOL InternetSetOptionW(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) {
  RAVO_BIND(InternetSetOptionW);
  return real ? real(handle, option, buffer, bufferLength) : FALSE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  RAVO_BIND(InternetCloseHandle);
  return real ? real(handle) : FALSE;
}

}  // namespace net

void owner_release::Internet(HINTERNET h) { net::InternetCloseHandle(h); }
