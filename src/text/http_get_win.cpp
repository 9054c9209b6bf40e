#include "text/http_get.h"

#include <optional>

#include "app/win_owners.h"
#include "text/http_url.h"

namespace {

// Without these limits a host that accepts and never answers holds the GUI thread for
// as long as WinInet's defaults allow; set on every handle because which handle a
// WinInet honours them from differs between versions.
void LimitWaits(HINTERNET h) {
  DWORD connect = kHttpConnectTimeoutMs;
  DWORD send = kHttpSendTimeoutMs;
  DWORD receive = kHttpReceiveTimeoutMs;
  InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
  InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
}

std::optional<DWORD> NumberHeader(HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!HttpQueryInfoA(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return std::nullopt;
  return value;
}

}  // namespace

HttpResult HttpGet(std::string_view url) {
  HttpResult result;
  const std::optional<HttpUrl> target = ParseHttpUrl(url);
  if (!target) return result;

  // The system's Internet settings: a user who reaches the web only through the proxy
  // configured there gets through it.
  UniqueInternet session(InternetOpenA(kHttpUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return result;
  LimitWaits(session.Get());
  UniqueInternet connection(InternetConnectA(session.Get(), target->host.c_str(), target->port, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;
  LimitWaits(connection.Get());

  // InternetOpenUrlA would be shorter, but it ignores the time-outs under Wine and sends
  // the Accept header twice.
  const char* acceptTypes[] = {"*/*", nullptr};
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  UniqueInternet request(HttpOpenRequestA(connection.Get(), "GET", target->object.c_str(), "HTTP/1.0", nullptr,
                                          acceptTypes, flags, 0));
  if (!request) return result;
  LimitWaits(request.Get());
  if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return result;

  result.status = NumberHeader(request.Get(), HTTP_QUERY_STATUS_CODE).value_or(0);
  const std::optional<DWORD> announced = NumberHeader(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(request.Get(), buffer, sizeof(buffer), &got)) break;
    if (got == 0) {
      result.complete = !announced || result.body.size() == *announced;
      break;
    }
    result.body.append(buffer, got);
  }
  return result;
}

std::string HttpGetBytes(std::string_view url) { return HttpGet(url).body; }
