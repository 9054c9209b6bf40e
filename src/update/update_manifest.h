// The signed part of the update page: what the new program is, and the maker's signature
// over it. No windows here, so that all of it runs natively; the signature itself is
// checked with the system's crypto (update/update_signature.h).
//
// The page's section carries, beside the switches, address and program name:
//
//   新版本号=3.5.8</p>          the new program's version, major.minor.build
//   程序名字=RavoSubtitler_v36.exe</p>   (the existing key) the file name
//   文件大小=1234567</p>         the file's size in bytes, decimal
//   文件SHA256=<64 hex digits></p>      the file's SHA-256
//   数字签名=<hex digits></p>    RSA PKCS#1 v1.5 signature with SHA-256 over the
//                                canonical text, the bytes as the signer wrote them
//
// The canonical text is, in GBK bytes, the product name and the four values exactly as
// they stand on the page, each followed by one line feed (0x0A), nothing else:
//
//   "Ravo字幕器\n" version "\n" name "\n" size "\n" sha256 "\n"
//
// None of the values can hold a line feed once it is well-formed, so the text reads back
// one way only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace update_manifest {

inline constexpr char kProductName[] = "Ravo字幕器";
inline constexpr char kVersionKey[] = "新版本号=";
inline constexpr char kSizeKey[] = "文件大小=";
inline constexpr char kSha256Key[] = "文件SHA256=";
inline constexpr char kSignatureKey[] = "数字签名=";

using Version = std::array<uint32_t, 3>;
using Sha256 = std::array<uint8_t, 32>;

struct Manifest {
  // The values as they stand on the page.
  std::string version, name, size, sha256;
  // Read from them.
  Version versionNumbers{};
  int64_t sizeBytes = 0;
  Sha256 digest{};
  std::string signature;  // the signature's bytes, most significant first
};

// "major.minor.build": three decimal numbers of one to five digits each.
std::optional<Version> ParseVersion(std::string_view text);
// True when candidate is a later version than running.
bool IsNewer(const Version& candidate, const Version& running);

// The manifest of a section, or nothing when a value is missing or not well-formed:
// version as above, a size of 1 to 12 digits, exactly 64 hexadecimal digits for the
// SHA-256, an even number (2 to 1024) of hexadecimal digits for the signature.
// The file name is taken as it stands; TrustedManifest applies the file-name rule.
std::optional<Manifest> ReadManifest(std::string_view section);

// The canonical text the signature covers (see the top of this file).
std::string CanonicalText(const Manifest& manifest);

// (canonical text, signature bytes) -> whether the signature verifies.
using SignatureCheck = std::function<bool(std::string_view text, std::string_view signature)>;

// The manifest of a section when the update may go ahead, checked in this order: it is
// well-formed, its signature verifies over the canonical text, its version is later than
// running (an old build, validly signed, is refused), and its file name passes the
// file-name rule (file_name::IsPlainFileName). Nothing otherwise.
std::optional<Manifest> TrustedManifest(std::string_view section, const SignatureCheck& verify,
                                        const Version& running);

// "0a1B" -> bytes; nothing for an odd length or a byte that is no hexadecimal digit.
std::optional<std::string> HexBytes(std::string_view hex);

}  // namespace update_manifest
