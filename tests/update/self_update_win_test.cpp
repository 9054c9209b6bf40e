// The update check at start-up, the update window and the progress display, against
// the stand-in update host. Whatever would end this process (the download's end starts
// the new program and exits) is left to tests/e2e/forced_update.sh.
#include "update/self_update_win.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include "app/features.h"
#include "layout/program_windows.h"
#include "update/self_update_test_access.h"
#include "update/update_host_standin.h"
#include "support/win_test_support.h"
#include "win/file_bytes.h"
#include "win/program.h"

namespace {

using Access = SelfUpdateTestAccess;

SelfUpdate& TheUpdate() { return SupportProgram().features.selfUpdate; }

// Closes the update window a test opened, however the test ends; what the update left
// for the GUI thread finds no window then. A failed update is forgotten for the next test.
struct UpdateWindowCloser {
  ~UpdateWindowCloser() {
    ui::DestroyWindowNow(WindowKind::Update);
    PumpOwnQueue();
    ui::DestroyWindowNow(WindowKind::Main);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    Access::ForgetFailure(TheUpdate());
  }
};

// Dispatches this thread's messages until the start-up check's page has been applied
// (at most 20 s: a silent host holds it for the fetch's time-out).
void AwaitUpdateCheck() {
  PumpUntil([] { return !Access::CheckPending(TheUpdate()); }, 20000);
}

const char kQuestion[] = "当前程序已经有更新版本,是否更新";
const char kQuestionCaption[] = "字幕工具版本更新提示：";

struct StartupCase {
  const char* name;
  std::vector<std::string> page;
  int questions;  // message boxes expected (each answered No)
  bool refused = false;  // the host has gone: nothing listens on its port
};

class SelfUpdateStartup : public testing::TestWithParam<StartupCase> {};

// The main window is complete before the page has been read. With no update due, or
// the question answered No, it stays as usual: the fourth page shown, the folder box set.
TEST_P(SelfUpdateStartup, MainWindowAppearsWithoutUpdateWindow) {
  const StartupCase& c = GetParam();
  std::optional<StandInHost> host(std::in_place, c.page);
  ASSERT_TRUE(host->Running());
  const std::string hostAndPort = host->HostAndPort();
  if (c.refused) host.reset();
  UpdateHostFor pointed(TheUpdate(), hostAndPort);
  MessageBoxWatcher boxes(IDNO);
  const DWORD start = GetTickCount();
  MainWindowFixture main;
  std::printf("[ info ] main window after %lu ms\n", GetTickCount() - start);
  ASSERT_NE(main.Handle(), nullptr);
  EXPECT_TRUE(Access::CheckPending(TheUpdate()));
  EXPECT_EQ(M<MainCtl::置顶选择1>().CurrentPage(), 3);
  AwaitUpdateCheck();
  ASSERT_FALSE(Access::CheckPending(TheUpdate()));

  EXPECT_TRUE(ui::WindowExists(WindowKind::Main));
  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  EXPECT_EQ(M<MainCtl::置顶选择1>().CurrentPage(), 3);
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), ui::ProgramFolder());
  const auto seen = boxes.All();
  ASSERT_EQ(static_cast<int>(seen.size()), c.questions);
  for (const auto& box : seen) {
    EXPECT_EQ(box.caption, kQuestionCaption);
    EXPECT_EQ(box.text, kQuestion);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SelfUpdate, SelfUpdateStartup,
    testing::Values(StartupCase{"no_update", {}, 0},
                    StartupCase{"offered_answered_no", {"--prompt", "是", "--address", "http://127.0.0.1:9/x.exe",
                                                        "--name", "x.exe"}, 1},
                    StartupCase{"empty_page", {"--empty-page"}, 0},
                    StartupCase{"page_without_section", {"--no-section", "--force", "是", "--prompt", "是"}, 0},
                    StartupCase{"section_without_end", {"--no-end-marker", "--force", "是", "--prompt", "是"}, 0},
                    StartupCase{"forced_with_space_before_yes", {"--force", " 是", "--name", "x.exe"}, 0},
                    // A name that is a path must neither be saved nor started: no update.
                    StartupCase{"forced_with_path_as_name", {"--force", "是", "--prompt", "是", "--name",
                                                             "..\\RavoSubtitler.exe"}, 0},
                    StartupCase{"forced_with_drive_in_name", {"--force", "是", "--name", "C:\\x.exe"}, 0},
                    StartupCase{"silent_host", {"--silent"}, 0},
                    StartupCase{"refused_port", {}, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What the update window shows once its download could not start, captured on the GUI
// thread from a thread timer that the test's pump dispatches.
struct WindowSeen {
  bool captured = false;
  bool mainExisted = true;
  std::string button;
  bool buttonEnabled = true;
  int timerPeriod = -1;
  std::string percent;
};
WindowSeen g_seen;

void CALLBACK InspectUpdateWindow(HWND, UINT, UINT_PTR id, DWORD) {
  if (!ui::WindowExists(WindowKind::Update)) return;
  KillTimer(nullptr, id);
  g_seen.captured = true;
  g_seen.mainExisted = ui::WindowExists(WindowKind::Main);
  g_seen.button = U<UpdateCtl::按钮1>().Text();
  g_seen.buttonEnabled = IsWindowEnabled(U<UpdateCtl::按钮1>().Handle());
  g_seen.timerPeriod = U<UpdateCtl::时钟>().TimerPeriod();
  g_seen.percent = U<UpdateCtl::下载进度>().Text();
}

// Forced and offered, with a signed page whose download cannot start (no address): the
// update window takes the main window's place and says that the update failed; then the
// main window comes back in the same process, and for the rest of the run nothing is
// forced or offered again: no question, and a check started anew does not even read the
// page.
TEST(SelfUpdateWindow, FailedForcedUpdateBringsTheMainWindowBackForTheRun) {
  StandInHost host({"--force", "是", "--prompt", "是", "--address", "", "--name", "new.exe"});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  MessageBoxWatcher boxes(IDNO);
  UpdateWindowCloser closer;
  g_seen = WindowSeen{};
  const UINT_PTR timer = SetTimer(nullptr, 0, 1500, InspectUpdateWindow);
  MainWindowFixture main;
  const HWND first = main.Handle();
  AwaitUpdateCheck();
  PumpUntil([first] { return ui::WindowHandle(WindowKind::Main) != first && !ui::WindowExists(WindowKind::Update); },
            20000);
  KillTimer(nullptr, timer);

  ASSERT_TRUE(g_seen.captured) << "the update window never opened";
  EXPECT_FALSE(g_seen.mainExisted);
  EXPECT_EQ(g_seen.button, "正在更新,请稍等.");
  EXPECT_FALSE(g_seen.buttonEnabled);
  EXPECT_EQ(g_seen.timerPeriod, 3000);  // the moment the failure is shown, on the window's timer
  EXPECT_EQ(g_seen.percent, "更新失败,请稍后再试或到官网下载新版本");
  EXPECT_EQ(Access::WindowPage(TheUpdate()).downloadAddress, "");
  EXPECT_EQ(Access::WindowPage(TheUpdate()).programName, "new.exe");

  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  ASSERT_TRUE(ui::WindowExists(WindowKind::Main)) << "the main window did not come back";
  EXPECT_NE(ui::WindowHandle(WindowKind::Main), first);
  EXPECT_EQ(M<MainCtl::编辑框1>().Text(), ui::ProgramFolder());
  EXPECT_TRUE(Access::FailedThisRun(TheUpdate()));
  const int pagesRead = host.CountLog({"/vodovuzedova/ravocap1.html"});
  EXPECT_EQ(pagesRead, 2);
  TheUpdate().CheckForUpdate();
  EXPECT_FALSE(Access::CheckPending(TheUpdate()));
  PumpFor(500);
  EXPECT_EQ(host.CountLog({"/vodovuzedova/ravocap1.html"}), pagesRead);
  EXPECT_FALSE(TheUpdate().OfferAfterLastWindow());
  EXPECT_TRUE(boxes.All().empty()) << "the update was offered again";
}

// Forced and offered, the update window closed by hand while it downloads: its download
// stops with it, nothing is asked while it is up; once the message loop has ended with it,
// the question comes, once.
TEST(SelfUpdateWindow, AForcedUpdateClosedByHandIsOfferedWhenTheLoopHasEnded) {
  TempFolder served;
  StandInHost host({"--force", "是", "--prompt", "是", "--serve",
                    "new.exe=" + UnixPathOf(served.Write("new.bin", RandomBytes(4096, 5))), "--address",
                    "http://127.0.0.1:{port}/files/new.exe", "--name", "new.exe", "--stall-at", "0"});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  MessageBoxWatcher boxes(IDNO);
  UpdateWindowCloser closer;
  MainWindowFixture main;
  AwaitUpdateCheck();
  ASSERT_TRUE(PumpUntil([] { return Access::TheDownloader(TheUpdate()).Running(); }, 10000));
  EXPECT_FALSE(ui::WindowExists(WindowKind::Main));
  EXPECT_TRUE(boxes.All().empty()) << "asked while the update window was up";

  ui::DestroyWindowNow(WindowKind::Update);  // by hand: the last window
  EXPECT_FALSE(Access::TheDownloader(TheUpdate()).Running()) << "the download went on after its window had gone";
  MSG quit;  // what ends the message loop
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_FALSE(TheUpdate().OfferAfterLastWindow());  // answered No: no window, the program ends
  ASSERT_EQ(boxes.All().size(), 1u);
  EXPECT_EQ(boxes.All()[0].text, kQuestion);
  EXPECT_FALSE(TheUpdate().OfferAfterLastWindow());
  EXPECT_EQ(boxes.All().size(), 1u) << "offered twice";
}

// The task the update window hands to the downloader once the page read again has
// landed, saving into the program's folder whatever the working folder. The host stands
// still after the answer's headers, so the task runs (and announces the size) but never
// ends; it is stopped (which starts nothing) before its receive time-out.
TEST(SelfUpdateWindow, StartUpdateDownloadFillsTheTaskAndStarts) {
  TempFolder served, current;
  const std::string content = RandomBytes(123456, 11);
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(served.Write("new.bin", content)), "--address",
                    "\u3000 http://127.0.0.1:{port}/files/new.exe  ", "--name", " new version.exe",
                    "--stall-at", "0"});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  SelfUpdate& update = TheUpdate();
  Access::ForgetTotalBytes(update);
  UpdateWindowCloser closer;
  bool running = false;
  {
    CurrentFolderFor inside(current.Path());
    ui::LoadOptions options;
    options.show = false;
    ASSERT_NE(ui::LoadWindow(WindowKind::Update, options), nullptr);
    PumpUntil([&update] { return Access::TotalBytes(update) != 0; }, 5000);
    running = Access::TheDownloader(update).Running();
    Access::TheDownloader(update).Stop();
  }

  EXPECT_TRUE(running);
  EXPECT_EQ(Access::TotalBytes(update), 123456.0);
  EXPECT_EQ(Access::WindowPage(update).downloadAddress, "\u3000 " + host.Url("/files/new.exe") + "  ");
  EXPECT_EQ(Access::WindowPage(update).programName, " new version.exe");
  const DownloadTask& updateTask = Access::Task(update);
  EXPECT_EQ(updateTask.expectedBytes, 123456);
  EXPECT_EQ(updateTask.url, host.Url("/files/new.exe"));
  EXPECT_EQ(updateTask.savePath, ui::ProgramFolder() + "\\ new version.exe");
  EXPECT_EQ(U<UpdateCtl::按钮1>().Text(), "正在更新,请稍等.");
  EXPECT_FALSE(IsWindowEnabled(U<UpdateCtl::按钮1>().Handle()));
  EXPECT_EQ(U<UpdateCtl::时钟>().TimerPeriod(), 1000);
  // The task's events are the update's own: the size it is told is the one displayed.
  ASSERT_TRUE(updateTask.events.sizeKnown);
  updateTask.events.sizeKnown(654321);
  EXPECT_EQ(Access::TotalBytes(update), 654321.0);
}

// An update window closed before its page read has landed: the answer, a trusted
// manifest, does nothing; nothing is fetched and no window comes back.
TEST(SelfUpdateWindow, ReadLandingAfterTheWindowClosedIsDropped) {
  TempFolder served;
  StandInHost host({"--serve", "dropped.exe=" + UnixPathOf(served.Write("new.bin", RandomBytes(4096, 3)))});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  SelfUpdate& update = TheUpdate();
  UpdateWindowCloser closer;
  ui::LoadOptions options;
  options.show = false;
  ASSERT_NE(ui::LoadWindow(WindowKind::Update, options), nullptr);
  ASSERT_EQ(Access::WindowReadsUnderWay(update), 1);
  ui::DestroyWindowNow(WindowKind::Update);
  ASSERT_TRUE(PumpUntil([&update] { return Access::WindowReadsUnderWay(update) == 0; }, 20000));

  EXPECT_EQ(host.AwaitLog({"/vodovuzedova/ravocap1.html"}, 1), 1);
  EXPECT_FALSE(Access::TheDownloader(update).Running());
  EXPECT_NE(Access::WindowPage(update).programName, "dropped.exe") << "the dropped read was taken";
  PumpFor(300);
  EXPECT_EQ(host.CountLog({"/files/dropped.exe"}), 0);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Update));
  EXPECT_FALSE(ui::WindowExists(WindowKind::Main));
}

// An update window opened on its own, with no main window, whose page brings no manifest:
// it says the update failed, as other failures do, instead of connecting for ever.
TEST(SelfUpdateWindow, AWindowOfItsOwnWithoutAManifestSaysTheUpdateFailed) {
  StandInHost host({"--empty-page"});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  UpdateWindowCloser closer;
  ui::LoadOptions options;
  options.show = false;
  ASSERT_NE(ui::LoadWindow(WindowKind::Update, options), nullptr);
  ASSERT_FALSE(ui::WindowExists(WindowKind::Main));
  EXPECT_TRUE(PumpUntil([] { return U<UpdateCtl::下载进度>().Text() == "更新失败,请稍后再试或到官网下载新版本"; }, 15000))
      << U<UpdateCtl::下载进度>().Text();
  EXPECT_FALSE(Access::TheDownloader(TheUpdate()).Running());
  ui::DestroyWindowNow(WindowKind::Update);
}

// The size is kept for the display; a file that exists is answered 0 (a name of the
// downloader's own); a stopped download changes nothing.
TEST(SelfUpdateEvents, SizeIsStoredAndExistingFileAnswered0) {
  SelfUpdate& update = TheUpdate();
  Access::ForgetTotalBytes(update);
  const DownloadEvents events = Access::Events(update);
  events.sizeKnown(10485760);
  EXPECT_EQ(Access::TotalBytes(update), 10485760.0);
  EXPECT_FALSE(events.replaceExisting("C:\\new.exe"));
  DownloadResult stopped;
  stopped.outcome = DownloadResult::Outcome::Stopped;
  events.ended(stopped);
  EXPECT_EQ(Access::TotalBytes(update), 10485760.0);
}

// Halfway through a 10 MB file, with 1536 bytes in the last second: the host pauses just
// before the half and stands still at it, and the test takes the counters at the pause
// as the previous tick would have.
TEST(SelfUpdateProgress, LabelsAtHalfway) {
  constexpr int kTotal = 10485760, kHalf = 5242880, kLastSecond = 1536;
  TempFolder served;
  StandInHost host({"--serve", "big.exe=" + UnixPathOf(served.Write("big.bin", RandomBytes(kTotal, 11))), "--no-ranges",
                    "--pause-at", std::to_string(kHalf - kLastSecond) + ":6000", "--stall-at",
                    std::to_string(kHalf), "--stall-seconds", "5", "--address", ""});
  ASSERT_TRUE(host.Running());
  UpdateHostFor pointed(TheUpdate(), host.HostAndPort());
  UpdateWindowCloser closer;
  ui::LoadOptions options;
  options.show = false;
  ASSERT_NE(ui::LoadWindow(WindowKind::Update, options), nullptr);  // its own task is refused: no address
  const std::string elapsedBefore = U<UpdateCtl::已用时间>().Text();

  // The counters must be taken during the host's pause. What the host sent before it can
  // take the reader more than a second to work through (loopback buffers hold megabytes;
  // a 1.5 s pause was seen to pass unnoticed), hence 6 s. On a machine so loaded that
  // this thread sleeps through it, the download is run again (at most three times).
  std::optional<Downloader> downloader;  // a fresh one for each run
  bool atPause = false;
  for (int attempt = 0; attempt < 3 && !atPause; ++attempt) {
    downloader.reset();
    downloader.emplace();
    Access::ForgetTotalBytes(TheUpdate());
    DownloadTask task;
    task.url = host.Url("/files/big.exe");
    task.savePath = served.Path() + "\\big" + std::to_string(attempt) + ".exe";
    task.connections = 5;
    // A read waits until its buffer is full, so the pause and the stall must fall on
    // buffer boundaries for the counters to reach them exactly: 512 divides both.
    task.bufferBytes = 512;
    task.events.sizeKnown = Access::Events(TheUpdate()).sizeKnown;
    ASSERT_TRUE(downloader->Start(task));
    for (int i = 0; i < 1000 && downloader->DoneBytes() < kHalf - kLastSecond; ++i) Sleep(10);
    atPause = downloader->DoneBytes() == kHalf - kLastSecond;
  }
  ASSERT_TRUE(atPause) << downloader->DoneBytes();
  downloader->TakeTaskBytes();
  downloader->TakeAllBytes();
  for (int i = 0; i < 1000 && downloader->DoneBytes() < kHalf; ++i) Sleep(10);
  ASSERT_EQ(downloader->DoneBytes(), kHalf);
  ASSERT_EQ(Access::TotalBytes(TheUpdate()), static_cast<double>(kTotal));

  Access::ShowDownloadProgress(TheUpdate(), *downloader);
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "正在下载...已完成：50%");
  EXPECT_EQ(SendMessageA(U<UpdateCtl::进度条>().Handle(), PBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(U<UpdateCtl::下载速度>().Text(), "下载速度：1.5KB/秒");
  EXPECT_EQ(U<UpdateCtl::已经下载>().Text(), "已经下载：5MB/10MB");
  EXPECT_EQ(U<UpdateCtl::剩余时间>().Text(), "剩余时间：0时56分53秒");  // 5242880 B at 1536 B/s: 3413 s
  const std::string elapsed = U<UpdateCtl::已用时间>().Text();
  EXPECT_NE(elapsed, elapsedBefore);
  EXPECT_EQ(elapsed.rfind("已用时间：", 0), 0u) << elapsed;

  // A second with nothing received: zero speed, and the remaining time keeps its text.
  Access::ShowDownloadProgress(TheUpdate(), *downloader);
  EXPECT_EQ(U<UpdateCtl::下载速度>().Text(), "下载速度：0/秒");
  EXPECT_EQ(U<UpdateCtl::剩余时间>().Text(), "剩余时间：0时56分53秒");
  EXPECT_EQ(U<UpdateCtl::下载进度>().Text(), "正在下载...已完成：50%");

  downloader->Stop();
}

}  // namespace
