// The self-update. One SelfUpdate, held by the roof for the whole run, owns what the
// update knows, and its handlers are bound in the event table: the update page read at
// start-up, the update window that reads it again and starts the download, the
// download's events, and the update's end, into the new program
// (update/update_restart_win.h) or back to the main window. The progress display is
// update/update_progress_win.h.
//
// Threads: both reads of the update page (at start-up, and again when the update window
// opens) are fetched and read on a worker thread each (ReadOnWorker, win/http_get.h) and
// handed to the GUI thread through the courier (win/gui_courier.h); the GUI thread keeps
// running its message loop meanwhile and never waits for a read. The download's
// events run on the downloader's threads: they touch only the announced size (atomic)
// and reach the GUI thread through the courier. Everything else runs on the GUI thread. No state of the
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
#include <string>

#include "update/downloader.h"
#include "update/progress_text.h"
#include "update/update_page.h"
#include "win/failure_record.h"

// What the update is given by the roof: where the page is, and which version runs.
struct SelfUpdateSettings {
  std::string host;  // host[:port] of the update page; with "https://" before it, over TLS
  update_manifest::Version runningVersion{};
};

class SelfUpdate {
 public:
  explicit SelfUpdate(SelfUpdateSettings settings);
  SelfUpdate(const SelfUpdate&) = delete;
  SelfUpdate& operator=(const SelfUpdate&) = delete;

  // The start-up check: starts reading the page off the GUI thread and returns at once.
  // When the page has arrived, the GUI thread opens the update window or asks, as the
  // page says, if the main window is still there. Called once per start, on the GUI
  // thread.
  void CheckForUpdate();
  // After the message loop has ended with the last window: when the page both forced and
  // offered the update and the user closed the update window, the question comes now.
  // True when the answer opened the update window again: the loop is to run once more.
  bool OfferAfterLastWindow();

  // The handlers bound in the event table. The update window's creation: it stands on
  // screen before the main window goes, and once that has gone the page is read again
  // off the GUI thread; with a trusted manifest the download starts, without one the
  // tool comes back at once. The window's timer ticks the progress display, its button
  // starts the download (a second click does nothing).
  void OnWindowCreated();
  void OnProgressTick();
  void StartDownload();
  // The update window goes (closed by hand, or by the update's end): its download stops,
  // and nothing it fetched is started, even a file that completes at this moment.
  void OnWindowDestroyed();

 private:
  friend struct SelfUpdateTestAccess;

  // "http://" + host + the page's path ("https://" when the host is given with it).
  std::string PageAddress() const;

  // The download's events, on the downloader's threads, as the update has always known
  // them: event 3 (the file's size, kept for the display), event 18 (a file of the name
  // exists: answered 0, for a name of the downloader's own), event 4 (the task's end).
  // A task the downloader reports complete (the whole file, its size and SHA-256 the
  // manifest's, under its final name and still held by the downloader) restarts into the
  // new program; a failed one reports the failure; a stopped one does nothing.
  DownloadEvents DownloadEventsOfTheUpdate();
  void OnDownloadEnded(const DownloadResult& result);

  void OnUpdatePageRead(unsigned check, const update_page::UpdatePage& page);
  void ApplyUpdateCheck(const update_page::UpdatePage& page);
  void OpenWindow();
  void Ask();
  // The update window's read of the page, landed on the GUI thread: acted on only when it
  // is the newest read and its window is still the update window.
  void OnWindowPageRead(unsigned read, HWND window, const update_page::UpdatePage& page);
  // From any thread: the update window says that the update failed, for a moment; then
  // it closes and the main window comes back (ReturnFromUpdate).
  void ReportFailed();
  void OnFailureShown(HWND window);
  // On the GUI thread: no update for the rest of this run; the main window is loaded
  // again and the update window closes. Nothing when the update window is gone already
  // (closed by hand: the program ends as it always did), or when it did not open in the
  // main window's place.
  void ReturnFromUpdate();
  // One tick of the progress display, reading the given downloader's counters.
  void ShowDownloadProgress(Downloader& downloader);

  SelfUpdateSettings settings_;

  // What the page read at start-up said.
  update_page::UpdatePage startupPage_;
  // The number of the latest start-up check; a page read for an older one is dropped.
  unsigned newestCheck_ = 0;
  bool checkPending_ = false;
  // Whether an update failed in this run: the start-up check then neither forces nor
  // offers one.
  bool failedThisRun_ = false;
  bool offerAfterLastWindow_ = false;

  // What the update window read from the page, once its read has landed.
  update_page::UpdatePage windowPage_;
  // The number of the update window's latest read; an older read's answer is dropped.
  unsigned newestWindowRead_ = 0;
  int windowReadsUnderWay_ = 0;
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
  // The file's size as the downloader announced it (0 until then): written by the
  // downloader's thread and read by the display's tick, hence atomic: the 8 bytes arrive
  // whole.
  std::atomic<double> totalBytes_{0};
  // The task last handed to the downloader.
  DownloadTask task_;
  // Last, so that it goes first: its end stops a running task, whose events use the rest.
  Downloader downloader_;
};
