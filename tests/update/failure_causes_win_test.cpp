// Every cause of a failed fetch or update, as a maker reads it from the system's debug
// output: one line with the stage and the cause, each cause told apart from the others.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/features.h"
#include "layout/program_windows.h"
#include "support/debug_output.h"
#include "support/download_ended.h"
#include "support/lyrics_site.h"
#include "support/win_test_support.h"
#include "update/downloader.h"
#include "update/self_update_test_access.h"
#include "update/update_host_standin.h"
#include "update/update_signature.h"
#include "win/http_get.h"

namespace {

// Runs a download to its end.
void Download(const DownloadTask& task) {
  DownloadEnded ended;
  Downloader downloader;
  EXPECT_TRUE(downloader.Start(task));
  EXPECT_TRUE(ended.Wait(60000));
}

struct CauseCase {
  const char* cause;
  std::function<void()> provoke;
  std::vector<std::string> line;  // the fragments of the one line it writes
};

TEST(FailureCauses, EachCauseIsWrittenAsOneLineWithItsStage) {
  SiteCatalogue catalogue;
  LyricsSite site{&catalogue};
  ASSERT_TRUE(site.Running());
  ASSERT_NE(site.RefusedPort(), 0);
  ASSERT_NE(site.SilentPort(), 0);
  TempFolder served, saved;
  const std::string content = RandomBytes(200000, 3);
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(served.Write("new.bin", content)), "--serve",
                    "slow.exe=" + UnixPathOf(served.Write("slow.bin", content)), "--rate", "20000"});
  ASSERT_TRUE(host.Running());
  StandInHost unsigned_({"--force", "是", "--name", "new.exe"}, false);
  ASSERT_TRUE(unsigned_.Running());
  StandInHost fast({"--serve", "new.exe=" + UnixPathOf(served.Write("fast.bin", content))});
  ASSERT_TRUE(fast.Running());
  const std::string base = "http://127.0.0.1:";

  const CauseCase cases[] = {
      {"no answer", [&] { HttpGet(base + std::to_string(site.SilentPort()) + "/x.lrc", kSitePageMaxBytes); },
       {"/x.lrc failed at send: no answer (WinInet error "}},
      {"refused", [&] { HttpGet(base + std::to_string(site.RefusedPort()) + "/y.lrc", kSitePageMaxBytes); },
       {"/y.lrc failed at send: refused (WinInet error 12029)"}},
      // TLS spoken to a host that speaks plain HTTP: the handshake fails.
      {"TLS", [&] { HttpGet("https://127.0.0.1:" + std::to_string(site.Port()) + "/z.lrc", kSitePageMaxBytes); },
       {"/z.lrc failed at send: TLS (WinInet error "}},
      {"over the size limit", [&] { HttpGet(site.Base() + "/big/100001", 100000); },
       {"/big/100001 failed at size: over the size limit"}},
      {"deadline", [&] { HttpGet(site.Base() + "/slow/3000", kSitePageMaxBytes, 500); },
       {"/slow/3000 failed at deadline: deadline"}},
      // A download that trickles past its deadline.
      {"deadline of a download",
       [&] {
         DownloadTask task = TestTask(host.Url("/files/slow.exe"), saved.Path() + "\\slow.exe", 1, DownloadEnded::Events());
         task.deadlineMs = 1500;
         Download(task);
       },
       {"download of ", "/files/slow.exe failed at transfer: deadline"}},
      // The update window's read of a page without a signature.
      {"signature",
       [&] {
         UpdateHostFor pointed(SupportProgram().features.selfUpdate, unsigned_.HostAndPort());
         ui::LoadOptions options;
         options.show = false;
         ui::LoadWindow(WindowKind::Update, options);
         PumpUntil([] { return SelfUpdateTestAccess::WindowReadsUnderWay(SupportProgram().features.selfUpdate) == 0; }, 20000);
         ui::DestroyWindowNow(WindowKind::Update);
       },
       {"update (the update window's read of ", "failed at manifest: signature"}},
      // A complete file whose SHA-256 is not the signed one.
      {"hash",
       [&] {
         update_manifest::Manifest signedFor;  // the right size, another SHA-256
         signedFor.sizeBytes = static_cast<int64_t>(content.size());
         DownloadTask task = TestTask(fast.Url("/files/new.exe"), saved.Path() + "\\new.exe", 1, DownloadEnded::Events());
         task.expectedBytes = signedFor.sizeBytes;
         task.checkFile = [signedFor](void* file) { return update_signature::OpenFileMatchesManifest(file, signedFor); };
         Download(task);
       },
       {"/files/new.exe failed at check: hash"}},
  };
  for (const CauseCase& c : cases) {
    SCOPED_TRACE(c.cause);
    DebugOutput output;
    c.provoke();
    const std::string line = output.Find(c.line);
    EXPECT_NE(line, "") << "no such line among: " << ::testing::PrintToString(output.All());
    if (!line.empty()) std::printf("  %-22s %s\n", c.cause, line.c_str());
    // One failure, one line.
    int failures = 0;
    for (const std::string& l : output.All()) failures += l.rfind("Ravo", 0) == 0 && l.find(" failed at ") != std::string::npos;
    EXPECT_EQ(failures, 1) << ::testing::PrintToString(output.All());
  }
}

}  // namespace
