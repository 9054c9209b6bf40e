#include "text/http_url.h"

namespace {

bool IsHostByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_';
}

bool StartsWithScheme(std::string_view url, std::string_view scheme) {
  if (url.size() < scheme.size()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    char c = url[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != scheme[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
  HttpUrl out;
  std::string_view rest;
  if (StartsWithScheme(url, "http://")) {
    rest = url.substr(7);
  } else if (StartsWithScheme(url, "https://")) {
    rest = url.substr(8);
    out.secure = true;
    out.port = 443;
  } else {
    return std::nullopt;
  }
  for (const char c : url) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return std::nullopt;
  }

  const size_t authorityEnd = rest.find_first_of("/?#");
  const std::string_view authority = rest.substr(0, authorityEnd);
  std::string_view object = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

  const size_t colon = authority.find(':');
  const std::string_view host = authority.substr(0, colon);
  if (host.empty()) return std::nullopt;
  for (const char c : host)
    if (!IsHostByte(c)) return std::nullopt;
  out.host = std::string(host);
  if (colon != std::string_view::npos) {
    const std::string_view digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t port = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    out.port = static_cast<uint16_t>(port);
  }

  object = object.substr(0, object.find('#'));
  if (object.empty() || object[0] != '/') out.object = "/";
  out.object += std::string(object);
  return out;
}

std::string WithScheme(std::string_view hostSetting) {
  if (StartsWithScheme(hostSetting, "http://") || StartsWithScheme(hostSetting, "https://"))
    return std::string(hostSetting);
  return "http://" + std::string(hostSetting);
}

std::optional<std::string> SecurePageAddress(std::string_view setting) {
  const std::optional<HttpUrl> url = ParseHttpUrl(setting);
  if (!url || !url->secure) return std::nullopt;
  return std::string(setting);
}
