// The cost of the update's checks (run by bench/update_check.sh under Wine): the size and
// SHA-256 of a downloaded file through CryptoAPI, and one RSA-2048 signature check over a
// canonical text with the built-in key. Prints figures; asserts nothing.
//
// Usage: update_check_bench.exe [megabytes, default 5] [rounds, default 20]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "now_ms.h"
#include "update/update_signature.h"
#include "win/file_bytes.h"

namespace {

void Report(const char* what, std::vector<double> ms, double megabytes) {
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2];
  std::printf("%-44s median %8.3f ms   min %8.3f ms   max %8.3f ms", what, median, ms.front(), ms.back());
  if (megabytes > 0) std::printf("   %6.0f MB/s", megabytes / (median / 1000.0));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "update_check_bench.bin";
  std::string bytes(static_cast<size_t>(megabytes) << 20, '\0');
  std::mt19937 gen(5);
  for (char& b : bytes) b = static_cast<char>(gen() & 0xFF);
  if (!WriteFileBytes(path, bytes)) {
    std::printf("could not write %s\n", path.c_str());
    return 1;
  }

  update_manifest::Manifest manifest;
  manifest.version = "3.6.0";
  manifest.name = "RavoNew.exe";
  manifest.size = std::to_string(bytes.size());
  manifest.sizeBytes = static_cast<int64_t>(bytes.size());
  const auto digest = update_signature::DigestOfFile(path);
  if (!digest) return 1;
  manifest.digest = digest->sha256;
  manifest.sha256 = std::string(64, '0');
  std::string signature(256, '\0');
  for (char& b : signature) b = static_cast<char>(gen() & 0xFF);
  const std::string canonical = update_manifest::CanonicalText(manifest);

  std::vector<double> file, check, sign;
  for (int r = 0; r < rounds; ++r) {
    double t0 = NowMs();
    update_signature::DigestOfFile(path);
    file.push_back(NowMs() - t0);
    t0 = NowMs();
    const bool matches = update_signature::FileMatchesManifest(path, manifest);
    check.push_back(NowMs() - t0);
    if (!matches) std::printf("the file did not match its own digest\n");
    t0 = NowMs();
    update_signature::VerifyWithBuiltInKey(canonical, signature);
    sign.push_back(NowMs() - t0);
  }
  std::printf("update check, %d MB file, %d rounds (CryptoAPI under this Windows):\n", megabytes, rounds);
  Report("size and SHA-256 of the file", file, megabytes);
  Report("the whole file check (FileMatchesManifest)", check, megabytes);
  Report("one RSA-2048 signature check", sign, 0);
  DeleteFileA(path.c_str());
  return 0;
}
