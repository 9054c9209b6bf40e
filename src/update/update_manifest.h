// The signed part of the update page: what the new program is, what the page may make
// the tool do, until when, and the maker's signature over it. No windows here, so that
// all of it runs natively; the signature itself is checked with the system's crypto
// (update/update_signature.h).
//
// The page's section carries, beside the switches (是否强制更新=, 是否提示更新=), the
// address (自动更新地址=) and the program name, all of them signed:
//
//   新版本号=3.5.8</p>          the new program's version, major.minor.build
//   程序名字=RavoSubtitler_v36.exe</p>   (the existing key) the file name
//   文件大小=1234567</p>         the file's size in bytes, decimal
//   文件SHA256=<64 hex digits></p>      the file's SHA-256
//   有效期至=2027-06-30</p>      the last day (the machine's own date) the page holds
//   数字签名=<hex digits></p>    RSA PKCS#1 v1.5 signature with SHA-256 over the
//                                canonical text, the bytes as the signer wrote them
//
// The canonical text is, in GBK bytes, the product name and eight values exactly as they
// stand on the page, each followed by one line feed (0x0A), nothing else:
//
//   "Ravo字幕器\n" version "\n" name "\n" size "\n" sha256 "\n"
//   force "\n" prompt "\n" address "\n" expiry "\n"
//
// A switch or address that is missing stands as empty. None of the values may hold a
// line break (a manifest whose switch or address does is not well-formed), so the text
// reads back one way only. A manifest signed the old way (the first five lines alone)
// has no expiry and is refused: a signed page no longer holds for ever, and the switches
// and the address can no longer be changed under a valid signature.
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
inline constexpr char kExpiryKey[] = "有效期至=";

using Version = std::array<uint32_t, 3>;
using Sha256 = std::array<uint8_t, 32>;

struct Manifest {
  // The values as they stand on the page.
  std::string version, name, size, sha256;
  std::string force, prompt, address;  // the switches and the download address
  std::string expiry;                  // "YYYY-MM-DD"
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

// "YYYY-MM-DD" of a month 01-12 and a day 01-31.
bool IsDate(std::string_view text);

// The manifest of a section, or nothing when a value is missing or not well-formed:
// version as above, a size of 1 to 12 digits, exactly 64 hexadecimal digits for the
// SHA-256, an expiry date (IsDate), switches and an address without a line break, an
// even number (2 to 1024) of hexadecimal digits for the signature.
// The file name is taken as it stands; TrustedManifest applies the file-name rule.
std::optional<Manifest> ReadManifest(std::string_view section);

// The canonical text the signature covers (see the top of this file).
std::string CanonicalText(const Manifest& manifest);

// (canonical text, signature bytes) -> whether the signature verifies.
using SignatureCheck = std::function<bool(std::string_view text, std::string_view signature)>;

// The manifest of a section when the update may go ahead, checked in this order: it is
// well-formed, its signature verifies over the canonical text, today ("YYYY-MM-DD") is
// not after its expiry, its version is later than running (an old build, validly
// signed, is refused), and its file name passes the file-name rule
// (file_name::IsPlainFileName). Nothing otherwise.
std::optional<Manifest> TrustedManifest(std::string_view section, const SignatureCheck& verify,
                                        const Version& running, std::string_view today);
// True when the manifest no longer holds on today.
bool IsExpired(const Manifest& manifest, std::string_view today);

// "0a1B" -> bytes; nothing for an odd length or a byte that is no hexadecimal digit.
std::optional<std::string> HexBytes(std::string_view hex);

}  // namespace update_manifest
