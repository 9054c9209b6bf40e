// Fetches over HTTPS against real TLS servers, run by tests/e2e/https_flows.sh inside a
// throw-away copy of the Wine prefix whose CurrentUser ROOT store trusts a test CA:
//
//   https_checks.exe --trust CA.der     adds the CA to the CurrentUser ROOT store
//   https_checks.exe                    the checks below, with the servers named by
//     RAVO_HTTPS_TRUSTED    https://localhost:PORT  (a certificate of the trusted CA)
//     RAVO_HTTPS_UNTRUSTED  https://localhost:PORT  (a certificate of an unknown CA)
//     RAVO_HTTPS_STALLED    https://localhost:PORT  (accepts, never answers the handshake)
//     RAVO_HTTPS_FILE       the Windows path of the file served as /big.bin
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "update/downloader.h"
#include "support/download_ended.h"
#include "win/file_bytes.h"
#include "win/http_get.h"

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool Trust(const char* derPath) {
  const std::string der = ReadFileBytes(derPath);
  HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
  if (!root || der.empty()) return false;
  const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING,
                                                      reinterpret_cast<const BYTE*>(der.data()),
                                                      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                      nullptr);
  CertCloseStore(root, 0);
  return added != FALSE;
}

TEST(HttpsFetch, TrustedServerAnswersUntrustedAndStalledOnesFail) {
  const std::string expected = ReadFileBytes(Env("RAVO_HTTPS_FILE"));
  ASSERT_FALSE(expected.empty());
  const HttpResult trusted = HttpGet(Env("RAVO_HTTPS_TRUSTED") + "/big.bin", kLyricFileMaxBytes);
  EXPECT_EQ(trusted.status, 200u);
  EXPECT_TRUE(trusted.complete);
  EXPECT_TRUE(trusted.body == expected) << trusted.body.size() << " bytes";

  const HttpResult untrusted = HttpGet(Env("RAVO_HTTPS_UNTRUSTED") + "/big.bin", kLyricFileMaxBytes);
  EXPECT_EQ(untrusted.status, 0u);
  EXPECT_EQ(untrusted.body, "");

  // WinInet never times out a handshake that stalls: the deadline gives the caller back.
  const DWORD start = GetTickCount();
  const HttpResult stalled = HttpGet(Env("RAVO_HTTPS_STALLED") + "/big.bin", kLyricFileMaxBytes);
  const DWORD ms = GetTickCount() - start;
  std::printf("  stalled handshake: back after %lu ms (deadline %u ms)\n", static_cast<unsigned long>(ms),
              kHttpDeadlineMs);
  EXPECT_EQ(stalled.status, 0u);
  EXPECT_EQ(stalled.body, "");
}

// The update's downloader over HTTPS: five ranges from a trusted server; nothing from an
// untrusted one; a stalled handshake ends the task at its stall limit.
TEST(HttpsFetch, DownloaderTakesOnlyTrustedServersAndGivesUpOnStalls) {
  const std::string expected = ReadFileBytes(Env("RAVO_HTTPS_FILE"));
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  struct Case {
    const char* what;
    std::string url;
    bool saved;
  };
  const Case cases[] = {
      {"trusted", Env("RAVO_HTTPS_TRUSTED") + "/big.bin", true},
      {"untrusted", Env("RAVO_HTTPS_UNTRUSTED") + "/big.bin", false},
      {"stalled", Env("RAVO_HTTPS_STALLED") + "/big.bin", false},
  };
  for (const Case& c : cases) {
    const std::string savePath = std::string(temp) + "https_" + c.what + ".bin";
    DeleteFileA(savePath.c_str());
    const DownloadEnded ended;
    Downloader downloader;
    DownloadTask task;
    task.url = c.url;
    task.savePath = savePath;
    task.connections = 5;
    task.connectTimeoutMs = task.sendTimeoutMs = task.receiveTimeoutMs = 1000;
    task.events = DownloadEnded::Events();
    ASSERT_TRUE(downloader.Start(task)) << c.what;
    const DWORD start = GetTickCount();
    const bool end = ended.Wait(60000);
    std::printf("  downloader, %s: ended after %lu ms\n", c.what, static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_TRUE(end) << c.what;
    EXPECT_EQ(GetFileAttributesA(savePath.c_str()) != INVALID_FILE_ATTRIBUTES, c.saved) << c.what;
    if (c.saved) {
      EXPECT_TRUE(ReadFileBytes(savePath) == expected) << c.what;
    }
    DeleteFileA(savePath.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--trust") return Trust(argv[2]) ? 0 : 1;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
