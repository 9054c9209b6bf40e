// The self-update, a file for each job: the update page read at start-up
// (update_check_win.cpp; CheckForUpdate in update/update_check.h), the update window
// (update_window_win.cpp), the download's events (update_download_event_win.cpp), the
// restart into the new program or the old one (update_restart_win.cpp) and the progress
// display (update_progress_win.cpp).
//
// Threads: the start-up check reads the page on a thread of its own and hands what it
// read (update_page::UpdateCheck) to the GUI thread, which applies it. OnDownloadEvent
// and RestartIntoNewProgram run on the downloader's worker thread; they reach the GUI
// thread through the courier (win/gui_courier.h). Everything else runs on the GUI thread.
//
// An update never locks the user out: when it fails (the page read again brings no
// trusted manifest, the download cannot start, fails or is refused by its check, the new
// program cannot be started) the update window closes and the main window comes back in
// the same process, and no update is forced or offered again until the next start.
// Nothing of this is remembered across runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "update/downloader.h"
#include "update/update_page.h"

// The section of the page read by the start-up check, and its two switches.
extern std::string updatePageText;
extern std::string forceUpdateValue;
extern std::string promptUpdateValue;
// The section read again by the update window, and what it names.
extern std::string updateWindowPageText;
extern std::string downloadAddress;
extern std::string programName;
// The signed manifest of that section when it may be trusted (validly signed with the
// built-in key, a newer version, a plain name); without it nothing is downloaded.
extern std::optional<update_manifest::Manifest> updateManifest;
// The running program's version, from the build.
update_manifest::Version RunningVersion();
// The file's size as the downloader announced it; 0 until then. Written by a worker
// thread and read by the display's tick, hence atomic: the 8 bytes arrive whole.
extern std::atomic<double> downloadTotalBytes;
extern Downloader updateDownloader;
extern DownloadTask updateTask;

// True from the start of the check (CheckForUpdate) until its page has reached the GUI
// thread.
bool UpdateCheckPending();
// What the GUI thread does with the page the check read: keeps its values in the
// globals above and carries out the plan (the update window at once, the question).
void ApplyUpdateCheck(const update_page::UpdateCheck& check);

// Opens the update window, modal.
void OpenUpdateWindow();
// Fetches the page again and reads the download's address, the program's name and the
// trusted manifest.
void ReadUpdateTarget();
// The event handler of the update's download task; always answers 0. Event 4 of a task
// the downloader reports complete (the whole file, its size and SHA-256 the manifest's,
// under its final name and still held by the downloader) goes to RestartIntoNewProgram;
// any other end, or a start that fails, to ReportFailedUpdate.
int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value, int32_t reserved, DownloadTask* reservedTask);
// Starts the new program, the file the download checked and saved in the program's
// folder, then ends the process with exit code 0. Returns only when it could not be
// started.
void RestartIntoNewProgram(const std::string& checkedProgram);
// From any thread: the update window says that the update failed, for a moment; then it
// closes and the main window comes back (ReturnFromUpdate).
void ReportFailedUpdate();
// On the GUI thread: no update for the rest of this run; the main window is loaded
// again and the update window closes. Nothing when the update window is gone already
// (closed by hand: the program ends as it always did), or when it did not open in the
// main window's place (UpdateWindowReplacedMain).
void ReturnFromUpdate();
// Whether the update window now open took the main window's place when it opened.
bool UpdateWindowReplacedMain();
// Whether an update failed in this run: the start-up check then neither forces nor
// offers one. Tests put it back.
bool UpdateFailedThisRun();
void SetUpdateFailedThisRun(bool failed);
// One tick of the progress display, reading the given downloader's counters.
void ShowDownloadProgress(Downloader& downloader);
// The display's end: its timer stops; or its timer stops and the percentage's label
// says that the update failed.
void StopProgressTimer();
void ShowUpdateFailed();

// "http://" + host + the page's path ("https://" when the host is given with it). The
// host is the build setting RAVO_UPDATE_HOST; tests point it at a stand-in host.
std::string UpdatePageAddress();
void SetUpdateHost(std::string hostAndPort);

// The handlers bound in the event table: the update window's creation, its progress
// timer and its button, and the main window's home-page button 按钮15.
void OnUpdateWindowCreated();
void OnProgressTick();
void StartUpdateDownload();
void OpenHomePage();
