// The update's checks made with the system's own crypto: CryptoAPI of advapi32 (the
// PROV_RSA_AES provider, present from Windows XP SP3 on), so that no crypto code of
// our own is built in and the program still loads where BCrypt does not exist.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/update_manifest.h"

namespace update_signature {

// A CryptoAPI PUBLICKEYBLOB for an RSA public key: the modulus in hexadecimal, most
// significant digit first (as openssl prints it), and the public exponent. Empty when
// the modulus is no even run of hexadecimal digits.
std::string RsaPublicKeyBlob(std::string_view modulusHex, uint32_t exponent);

// The blob of the key this build trusts (cmake/update_key.cmake).
const std::string& BuiltInKeyBlob();

// True when signature (RSA PKCS#1 v1.5 over SHA-256, its bytes most significant first as
// openssl writes them) verifies over text with the key of keyBlob.
bool VerifySignature(std::string_view keyBlob, std::string_view text, std::string_view signature);

// VerifySignature with the built-in key, in the shape TrustedManifest takes.
bool VerifyWithBuiltInKey(std::string_view text, std::string_view signature);

struct FileDigest {
  int64_t size = 0;
  update_manifest::Sha256 sha256{};
};

// The size and SHA-256 of a file, read to its end; nothing when it cannot be read whole.
std::optional<FileDigest> DigestOfFile(const std::string& path);
// The same through an open file (a Win32 file handle with read access), from its start.
std::optional<FileDigest> DigestOfOpenFile(void* file);

// True when the file at path, or the open file, has exactly the manifest's size and
// SHA-256.
bool FileMatchesManifest(const std::string& path, const update_manifest::Manifest& manifest);
bool OpenFileMatchesManifest(void* file, const update_manifest::Manifest& manifest);

}  // namespace update_signature
