// The self-update. One SelfUpdate, held by the roof for the whole run, owns what the
// update knows, and its handlers are bound in the event table: the update page read at
// start-up, the update window that reads it again and starts the download, the
// download's events, and the update's end, into the new program
// (update/update_restart_win.h) or back to the main window. The progress display is
// update/update_progress_win.h.
//
// Threads: both reads of the update page (at start-up, and again when the update window
// opens) run on worker threads of their own (win/worker_thread.h) and hand what they read
// to the GUI thread through the courier (win/gui_courier.h); the GUI thread keeps running
// its message loop meanwhile and never waits for a read. The download's events run on
// the downloader's threads: they touch only the announced size (atomic) and reach the GUI
// thread through the courier. Everything else runs on the GUI thread. No state of the
// update is global: the threads reach the object through the `this` they were given, and
// the object lives as long as the process.
//
// An update never locks the user out: when it fails (the page read again brings no
// trusted manifest, the download cannot start, fails or is refused by its check, the new
// program cannot be started) the update window closes and the main window comes back in
// the same process, and no update is forced or offered again until the next start.
// Nothing of this is remembered across runs.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "update/downloader.h"
#include "update/progress_text.h"
#include "update/update_page.h"
#include "win/failure_record.h"

// The running program's version, from the build.
update_manifest::Version RunningVersion();

// What the update window reads from the page again: the section, what it names, and its
// signed manifest when it may be trusted (validly signed with the built-in key, a newer
// version, a plain name); without a manifest nothing is downloaded.
struct UpdateTarget {
  std::string section;
  std::string downloadAddress;
  std::string programName;
  std::optional<update_manifest::Manifest> manifest;
  // Without a manifest: why (the page's fetch, or what the manifest lacks).
  std::optional<Failure> failure;
};

class SelfUpdate {
 public:
  SelfUpdate();
  SelfUpdate(const SelfUpdate&) = delete;
  SelfUpdate& operator=(const SelfUpdate&) = delete;

  // host[:port] of the update page: the build setting RAVO_UPDATE_HOST unless set
  // otherwise (the tests point it at a stand-in host).
  std::string host;
  // "http://" + host + the page's path ("https://" when the host is given with it).
  std::string PageAddress() const;

  // The start-up check: starts reading the page off the GUI thread and returns at once.
  // When the page has arrived, the GUI thread opens the update window or asks, as the
  // page says, if the main window is still there (ApplyUpdateCheck). Called once per
  // start, on the GUI thread.
  void CheckForUpdate();
  // True from the start of the check until its page has reached the GUI thread.
  bool CheckPending() const { return checkPending_; }
  // What the GUI thread does with the page the check read: keeps its values and carries
  // out the plan (the update window at once, or the question).
  void ApplyUpdateCheck(const update_page::UpdateCheck& check);
  // After the message loop has ended with the last window: when the page both forced and
  // offered the update and the user closed the update window, the question comes now.
  // True when the answer opened the update window again: the loop is to run once more.
  bool OfferAfterLastWindow();

  // The handlers bound in the event table. The update window's creation: it stands on
  // screen before the main window goes, and once that has gone the page is read again
  // off the GUI thread; with a trusted manifest the download starts, without one the
  // tool comes back at once (ReturnFromUpdate). The window's timer ticks the progress
  // display, its button starts the download (a second click does nothing).
  void OnWindowCreated();
  void OnProgressTick();
  void StartDownload();
  // The update window goes (closed by hand, or by the update's end): its download stops,
  // and nothing it fetched is started, even a file that completes at this moment.
  void OnWindowDestroyed();

  // From any thread: the update window says that the update failed, for a moment; then
  // it closes and the main window comes back (ReturnFromUpdate).
  void ReportFailed();
  // On the GUI thread: no update for the rest of this run; the main window is loaded
  // again and the update window closes. Nothing when the update window is gone already
  // (closed by hand: the program ends as it always did), or when it did not open in the
  // main window's place.
  void ReturnFromUpdate();
  // Whether an update failed in this run: the start-up check then neither forces nor
  // offers one. Tests put it back.
  bool FailedThisRun() const { return failedThisRun_; }
  void SetFailedThisRun(bool failed) { failedThisRun_ = failed; }

  // The event handler of the update's download task, on the downloader's threads; always
  // answers 0. Event 4 of a task the downloader reports complete (the whole file, its
  // size and SHA-256 the manifest's, under its final name and still held by the
  // downloader) restarts into the new program; any other end reports the failure.
  int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value);
  // One tick of the progress display, reading the given downloader's counters.
  void ShowDownloadProgress(Downloader& downloader);

  // What the page read at start-up said, and its two switches as written.
  const update_page::UpdateCheck& StartupCheck() const { return startupCheck_; }
  // What the update window read from the page, once its read has landed.
  const UpdateTarget& Target() const { return target_; }
  // Page reads of the update window whose answers have not landed yet (dropped ones too).
  int TargetReadsUnderWay() const { return targetReadsUnderWay_; }
  // The task last handed to the downloader, and the downloader.
  const DownloadTask& Task() const { return task_; }
  Downloader& TheDownloader() { return downloader_; }
  // The file's size as the downloader announced it; 0 until then.
  double TotalBytes() const { return totalBytes_; }
  void ForgetTotalBytes() { totalBytes_ = 0; }

 private:
  void OnUpdatePageRead(unsigned check, const update_page::UpdateCheck& read);
  void OpenWindow();
  void Ask();
  // The update window's read of the page, landed on the GUI thread: acted on only when it
  // is the newest read and its window is still the update window.
  void OnTargetRead(unsigned read, HWND window, const UpdateTarget& target);
  void OnFailureShown(HWND window);
  void OnDownloadEnded(const DownloadTask& task);

  update_page::UpdateCheck startupCheck_;
  // The number of the latest start-up check; a page read for an older one is dropped.
  unsigned newestCheck_ = 0;
  bool checkPending_ = false;
  bool failedThisRun_ = false;
  bool offerAfterLastWindow_ = false;

  UpdateTarget target_;
  // The number of the update window's latest read; an older read's answer is dropped.
  unsigned newestTargetRead_ = 0;
  int targetReadsUnderWay_ = 0;
  // Whether the update window now open took the main window's place when it opened.
  bool replacedMain_ = false;
  // The update window that says that the update failed: the tool comes back from that
  // window only, never from one opened later.
  HWND failedWindow_ = nullptr;
  // Whether the update window has gone since its download started: under endLock_, which
  // the download's end holds while it starts the new program, so that a window closed at
  // that moment either comes first (nothing is started) or after.
  std::mutex endLock_;
  bool windowGone_ = false;

  ElapsedClock elapsed_;
  // Written by the downloader's thread and read by the display's tick, hence atomic: the
  // 8 bytes arrive whole.
  std::atomic<double> totalBytes_{0};
  DownloadTask task_;
  // Last, so that it goes first: its end stops a running task, whose events use the rest.
  Downloader downloader_;
};
