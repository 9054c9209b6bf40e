// Splitting a plain-HTTP address into what a WinInet connection and request need.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct HttpUrl {
  std::string host;
  uint16_t port = 80;
  std::string object;  // path and query, always starting with "/"; no fragment
};

// "http://host[:port][/path][?query][#fragment]", the scheme in any case. Nothing else
// is accepted: no other scheme, no user name, an empty host or a port outside 1..65535,
// and no control bytes anywhere, since the object goes into the request line as it is
// and a link taken from a web page must not add headers of its own.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);
