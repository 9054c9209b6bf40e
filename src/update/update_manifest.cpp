#include "update/update_manifest.h"

#include "update/page_values.h"
#include "text/encoding.h"
#include "text/file_name.h"

namespace update_manifest {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A decimal number of 1..maxDigits digits and nothing else.
std::optional<uint64_t> Decimal(std::string_view text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  return v;
}

}  // namespace

std::optional<std::string> HexBytes(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexValue(hex[i]);
    const int lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return bytes;
}

std::optional<Version> ParseVersion(std::string_view text) {
  Version v{};
  for (size_t part = 0; part < v.size(); ++part) {
    const size_t dot = text.find('.');
    const bool last = part + 1 == v.size();
    if (last != (dot == std::string_view::npos)) return std::nullopt;
    const auto n = Decimal(text.substr(0, dot), 5);
    if (!n) return std::nullopt;
    v[part] = static_cast<uint32_t>(*n);
    if (!last) text.remove_prefix(dot + 1);
  }
  return v;
}

bool IsNewer(const Version& candidate, const Version& running) { return candidate > running; }

bool IsDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  const auto year = Decimal(text.substr(0, 4), 4);
  const auto month = Decimal(text.substr(5, 2), 2);
  const auto day = Decimal(text.substr(8, 2), 2);
  return year && month && day && *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31;
}

// The dates compare as text: both are "YYYY-MM-DD".
bool IsExpired(const Manifest& manifest, std::string_view today) { return today > manifest.expiry; }

std::optional<Manifest> ReadManifest(std::string_view section) {
  using update_page::ValueOf;
  Manifest m;
  m.version = ValueOf(section, kVersionKey);
  m.name = ValueOf(section, update_page::kProgramNameKey);
  m.size = ValueOf(section, kSizeKey);
  m.sha256 = ValueOf(section, kSha256Key);
  m.force = ValueOf(section, update_page::kForceKey);
  m.prompt = ValueOf(section, update_page::kPromptKey);
  m.address = ValueOf(section, update_page::kAddressKey);
  m.expiry = ValueOf(section, kExpiryKey);
  const std::string signatureHex = ValueOf(section, kSignatureKey);
  for (const std::string* value : {&m.force, &m.prompt, &m.address})
    if (value->find_first_of("\r\n") != std::string::npos) return std::nullopt;
  if (!IsDate(m.expiry)) return std::nullopt;

  const auto version = ParseVersion(m.version);
  const auto size = Decimal(m.size, 12);
  const auto digest = m.sha256.size() == 64 ? HexBytes(m.sha256) : std::nullopt;
  const auto signature = signatureHex.size() <= 1024 ? HexBytes(signatureHex) : std::nullopt;
  if (!version || !size || !digest || !signature || signature->empty() || m.name.empty()) return std::nullopt;
  m.versionNumbers = *version;
  m.sizeBytes = static_cast<int64_t>(*size);
  for (size_t i = 0; i < m.digest.size(); ++i) m.digest[i] = static_cast<uint8_t>((*digest)[i]);
  m.signature = *signature;
  return m;
}

std::string CanonicalText(const Manifest& m) {
  std::string text;
  for (std::string_view line :
       {std::string_view(kProductName), std::string_view(m.version), std::string_view(m.name),
        std::string_view(m.size), std::string_view(m.sha256), std::string_view(m.force), std::string_view(m.prompt),
        std::string_view(m.address), std::string_view(m.expiry)}) {
    text.append(line);
    text += '\n';
  }
  // Signed as GBK bytes, the page's own encoding, whatever the machine's code page.
  return enc::EncodeCodePage(text, enc::kGbk);
}

std::optional<Manifest> TrustedManifest(std::string_view section, const SignatureCheck& verify,
                                        const Version& running, std::string_view today) {
  std::optional<Manifest> m = ReadManifest(section);
  if (!m || !verify || !verify(CanonicalText(*m), m->signature)) return std::nullopt;
  if (IsExpired(*m, today)) return std::nullopt;
  if (!IsNewer(m->versionNumbers, running)) return std::nullopt;
  if (!file_name::IsPlainFileName(m->name)) return std::nullopt;
  return m;
}

}  // namespace update_manifest
