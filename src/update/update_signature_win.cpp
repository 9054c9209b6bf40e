#include "update/update_signature.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "text/encoding.h"
#include "win/owners.h"
#include "update_key.h"

namespace update_signature {

namespace {

constexpr DWORD kReadBlockBytes = 1 << 20;

void AppendLittleEndian(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool AcquireVerifyContext(UniqueCryptProvider& provider) {
  return CryptAcquireContextW(provider.Receive(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) != FALSE;
}

}  // namespace

std::string RsaPublicKeyBlob(std::string_view modulusHex, uint32_t exponent) {
  const std::optional<std::string> modulus = update_manifest::HexBytes(modulusHex);
  if (!modulus || modulus->empty()) return {};
  std::string blob;
  // BLOBHEADER: PUBLICKEYBLOB, version 2, reserved, CALG_RSA_SIGN.
  blob += static_cast<char>(PUBLICKEYBLOB);
  blob += static_cast<char>(CUR_BLOB_VERSION);
  blob.append(2, '\0');
  AppendLittleEndian(blob, CALG_RSA_SIGN);
  // RSAPUBKEY: "RSA1", the key's length in bits, the exponent; then the modulus,
  // least significant byte first.
  AppendLittleEndian(blob, 0x31415352);
  AppendLittleEndian(blob, static_cast<uint32_t>(modulus->size() * 8));
  AppendLittleEndian(blob, exponent);
  blob.append(modulus->rbegin(), modulus->rend());
  return blob;
}

const std::string& BuiltInKeyBlob() {
  static const std::string blob = RsaPublicKeyBlob(RAVO_UPDATE_KEY_MODULUS, RAVO_UPDATE_KEY_EXPONENT);
  return blob;
}

bool VerifySignature(std::string_view keyBlob, std::string_view text, std::string_view signature) {
  if (keyBlob.empty() || signature.empty()) return false;
  UniqueCryptProvider provider;
  if (!AcquireVerifyContext(provider)) return false;
  UniqueCryptKey key;
  if (!CryptImportKey(provider.Get(), reinterpret_cast<const BYTE*>(keyBlob.data()),
                      static_cast<DWORD>(keyBlob.size()), 0, 0, key.Receive()))
    return false;
  UniqueCryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Receive())) return false;
  if (!CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()), 0))
    return false;
  // CryptoAPI reads the signature least significant byte first.
  const std::vector<BYTE> reversed(signature.rbegin(), signature.rend());
  return CryptVerifySignatureW(hash.Get(), reversed.data(), static_cast<DWORD>(reversed.size()), key.Get(), nullptr,
                               0) != FALSE;
}

bool VerifyWithBuiltInKey(std::string_view text, std::string_view signature) {
  return VerifySignature(BuiltInKeyBlob(), text, signature);
}

std::optional<FileDigest> DigestOfFile(const std::string& path) {
  UniqueHandle file(CreateFileW(enc::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  return DigestOfOpenFile(file.Get());
}

std::optional<FileDigest> DigestOfOpenFile(void* file) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return std::nullopt;
  UniqueCryptProvider provider;
  UniqueCryptHash hash;
  if (!AcquireVerifyContext(provider) || !CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Receive()))
    return std::nullopt;
  FileDigest digest;
  std::vector<BYTE> block(kReadBlockBytes);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, block.data(), kReadBlockBytes, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (!CryptHashData(hash.Get(), block.data(), got, 0)) return std::nullopt;
    digest.size += got;
  }
  DWORD length = static_cast<DWORD>(digest.sha256.size());
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.sha256.data(), &length, 0) ||
      length != digest.sha256.size())
    return std::nullopt;
  return digest;
}

namespace {

bool Matches(const std::optional<FileDigest>& digest, const update_manifest::Manifest& manifest) {
  return digest && digest->size == manifest.sizeBytes && digest->sha256 == manifest.digest;
}

}  // namespace

bool FileMatchesManifest(const std::string& path, const update_manifest::Manifest& manifest) {
  return Matches(DigestOfFile(path), manifest);
}

bool OpenFileMatchesManifest(void* file, const update_manifest::Manifest& manifest) {
  return Matches(DigestOfOpenFile(file), manifest);
}

}  // namespace update_signature
