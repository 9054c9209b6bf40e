#include "win/internet_session.h"

#include "text/encoding.h"
#include "win/wininet_calls.h"

void LimitInternetWaits(HINTERNET handle, const InternetWaits& waits) {
  auto set = [handle](DWORD option, unsigned ms) {
    if (ms == 0) return;
    DWORD value = ms;
    net::InternetSetOptionW(handle, option, &value, sizeof(value));
  };
  set(INTERNET_OPTION_CONNECT_TIMEOUT, waits.connectMs);
  set(INTERNET_OPTION_SEND_TIMEOUT, waits.sendMs);
  set(INTERNET_OPTION_DATA_SEND_TIMEOUT, waits.sendMs);
  set(INTERNET_OPTION_RECEIVE_TIMEOUT, waits.receiveMs);
  set(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, waits.receiveMs);
}

UniqueInternet OpenInternetSession(const InternetWaits& waits) {
  UniqueInternet session(
      net::InternetOpenW(enc::Wide(kHttpUserAgent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session) LimitInternetWaits(session.Get(), waits);
  return session;
}
