// The self-update: the update page read at start-up (CheckForUpdate in
// online/update_check.h), the update window's handlers, the download's events, the
// restart into the new program and the progress display.
//
// Threads: everything runs on the GUI thread except OnDownloadEvent and
// RestartIntoNewProgram, which the downloader calls on its own worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "online/downloader.h"

// The section of the page read by the start-up check, and its two switches.
extern std::string updatePageText;
extern std::string forceUpdateValue;
extern std::string promptUpdateValue;
// The section read again by the update window, and what it names.
extern std::string updateWindowPageText;
extern std::string downloadAddress;
extern std::string programName;
// The file's size as the downloader announced it; 0 until then. Written by a worker
// thread and read by the display's tick, hence atomic: the 8 bytes arrive whole.
extern std::atomic<double> downloadTotalBytes;
extern Downloader updateDownloader;
extern DownloadTask updateTask;

// Fetches the page again and reads the download's address and the program's name.
void ReadUpdateTarget();
// The event handler of the update's download task; always answers 0.
int32_t OnDownloadEvent(int32_t event, DownloadTask* task, int32_t value, int32_t reserved, DownloadTask* reservedTask);
// Starts the new program from the program's folder once it is there, then ends the
// process with exit code 0. Does not return.
void RestartIntoNewProgram();
// One tick of the progress display, reading the given downloader's counters.
void ShowDownloadProgress(Downloader& downloader);

// "http://" + host + the page's path ("https://" when the host is given with it). The host is the build setting RAVO_UPDATE_HOST;
// tests point it at a stand-in host of their own.
std::string UpdatePageAddress();
void SetUpdateHost(std::string hostAndPort);
