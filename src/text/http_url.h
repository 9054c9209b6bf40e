// Splitting an HTTP or HTTPS address into what a WinInet connection and request need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct HttpUrl {
  std::string host;
  bool secure = false;  // https: TLS, with the server's certificate checked
  uint16_t port = 80;   // 80 for http, 443 for https unless the address names one
  std::string object;  // path and query, always starting with "/"; no fragment
};

// "http://host[:port][/path][?query][#fragment]" or the same with "https://", the scheme
// in any case. Nothing else is accepted: no other scheme, no user name, an empty host or a port outside 1..65535,
// and no control bytes anywhere, since the object goes into the request line as it is
// and a link taken from a web page must not add headers of its own.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// A host setting as the start of an address: "host[:port]" gets "http://" before it; a
// setting that already starts with "http://" or "https://" (any case) stays as it is.
std::string WithScheme(std::string_view hostSetting);

// The address an embedded browser may show, taken from a setting: the setting when it is
// an https:// address ParseHttpUrl accepts, otherwise none: a page fetched in the clear
// could be changed on its way by anyone on the network.
std::optional<std::string> SecurePageAddress(std::string_view setting);
