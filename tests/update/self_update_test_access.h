// What the tests reach inside the self-update: its host, its state between the steps of
// a flow, its download, and its handlers of the download's events.
#pragma once

#include <string>
#include <utility>

#include "update/self_update_win.h"

struct SelfUpdateTestAccess {
  static std::string& Host(SelfUpdate& u) { return u.settings_.host; }
  static bool CheckPending(const SelfUpdate& u) { return u.checkPending_; }
  static bool FailedThisRun(const SelfUpdate& u) { return u.failedThisRun_; }
  static void ForgetFailure(SelfUpdate& u) { u.failedThisRun_ = false; }
  static const update_page::UpdatePage& WindowPage(const SelfUpdate& u) { return u.windowPage_; }
  static int WindowReadsUnderWay(const SelfUpdate& u) { return u.windowReadsUnderWay_; }
  static const DownloadTask& Task(const SelfUpdate& u) { return u.task_; }
  static Downloader& TheDownloader(SelfUpdate& u) { return u.downloader_; }
  static double TotalBytes(const SelfUpdate& u) { return u.totalBytes_; }
  static void ForgetTotalBytes(SelfUpdate& u) { u.totalBytes_ = 0; }
  static DownloadEvents Events(SelfUpdate& u) { return u.DownloadEventsOfTheUpdate(); }
  static void ShowDownloadProgress(SelfUpdate& u, Downloader& downloader) { u.ShowDownloadProgress(downloader); }
};

// Points an update at a host for one test, and back where it pointed after.
class UpdateHostFor {
 public:
  UpdateHostFor(SelfUpdate& update, const std::string& hostAndPort)
      : update_(update), before_(std::exchange(SelfUpdateTestAccess::Host(update), hostAndPort)) {}
  ~UpdateHostFor() { SelfUpdateTestAccess::Host(update_) = before_; }
  UpdateHostFor(const UpdateHostFor&) = delete;
  UpdateHostFor& operator=(const UpdateHostFor&) = delete;

 private:
  SelfUpdate& update_;
  std::string before_;
};
