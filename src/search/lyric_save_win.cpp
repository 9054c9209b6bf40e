#include "search/lyric_save_win.h"

#include <windows.h>

#include <utility>

#include "text/encoding.h"
#include "win/failure_record.h"
#include "win/file_bytes.h"
#include "win/gui_courier.h"
#include "win/http_get.h"
#include "win/program.h"
#include "win/worker_thread.h"

namespace {

// Windows names differ in case only as spellings of one file.
std::string FoldedPath(const std::string& path) {
  std::wstring wide = enc::Wide(path);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return enc::Narrow(wide);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

void SayNotSaved(const std::string& why) {
  ui::ShowMessageBox("歌词没有保存：" + why, "保存失败", MB_ICONWARNING | MB_OK);
}

// Why a fetch brings nothing to save; empty when it brought a whole lyric.
std::string WhyNothingToSave(const HttpResult& fetched) {
  if (fetched.failure) return CauseInWords(*fetched.failure);
  if (fetched.body.empty()) return "网站送来的歌词是空的";
  return {};
}

}  // namespace

void LyricSaves::Save(const std::string& url, const std::string& path) {
  Request request{url, path, FoldedPath(path)};
  // The newer save of a file takes the older one's place: in the queue, or as the fetch.
  for (auto it = waiting_.begin(); it != waiting_.end();)
    it = it->file == request.file ? waiting_.erase(it) : it + 1;
  if (const auto running = running_.find(request.file); running != running_.end()) {
    if (running->second.cancel) SetEvent(running->second.cancel.get());
    running_.erase(running);
  }
  waiting_.push_back(std::move(request));
  StartWaiting();
}

void LyricSaves::CancelAll() {
  waiting_.clear();
  for (auto& [file, running] : running_)
    if (running.cancel) SetEvent(running.cancel.get());
  running_.clear();
}

void LyricSaves::StartWaiting() {
  while (fetching_ < kMaxSavesAtOnce && !waiting_.empty()) {
    Request request = std::move(waiting_.front());
    waiting_.pop_front();
    Start(std::move(request));
  }
}

void LyricSaves::Start(Request request) {
  const unsigned save = ++saves_;
  std::shared_ptr<void> cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr), [](void* h) {
    if (h) CloseHandle(h);
  });
  running_[request.file] = Running{save, cancel};
  ++fetching_;
  EnsureGuiCourier();
  const std::weak_ptr<LyricSaves*> saves = self_;
  auto land = [saves, save, file = request.file, path = request.path](std::shared_ptr<HttpResult> fetched) {
    if (const auto alive = saves.lock()) (*alive)->Landed(save, file, path, *fetched);
  };
  const bool started = StartWorkerThread([url = request.url, cancel, land] {
    auto fetched = std::make_shared<HttpResult>();
    try {
      *fetched = HttpGet(url, kLyricFileMaxBytes, kHttpDeadlineMs, cancel.get());
    } catch (...) {
      fetched->body.clear();
      fetched->failure = Failure{"read", FailureCause::System, ERROR_NOT_ENOUGH_MEMORY};
    }
    RunOnGuiThread([land, fetched] { land(fetched); });
  });
  if (!started) {
    auto failed = std::make_shared<HttpResult>();
    failed->failure = Failure{"thread", FailureCause::System, GetLastError()};
    land(failed);
  }
}

void LyricSaves::Landed(unsigned save, const std::string& file, const std::string& path, HttpResult& fetched) {
  --fetching_;
  const auto newest = running_.find(file);
  // An ended fetch (a newer save of the file, or the program's end) writes nothing.
  bool saved = false;
  if (newest != running_.end() && newest->second.save == save) {
    running_.erase(newest);
    const std::string why = WhyNothingToSave(fetched);
    if (why.empty()) {
      saved = WriteSavedLyric(path, fetched.body);
    } else {
      SayNotSaved(why);
    }
  }
  fetched.body = std::string();
  StartWaiting();
  if (landed) landed(path, saved);
}

// Another song of the same title (two singers' songs share a name) is replaced only
// when the user says so; a failed save says why and leaves the old file.
bool WriteSavedLyric(const std::string& path, const std::string& bytes) {
  const std::string name = FileNameOf(path);
  if (name.size() < path.size()) RemoveTemporaryLeftovers(path.substr(0, path.size() - name.size() - 1), kWriteTempPrefix);
  if (FileExists(path)) {
    // What the user is asked about is what gets replaced: a file changed while the box
    // was up is asked about again.
    for (std::string shown = ReadFileBytes(path);;) {
      if (shown == bytes) return true;
      const int answer = ui::ShowMessageBox("“" + name + "”已有另一首歌词，要用下载的歌词替换它吗？\r\n选“否”保留原来的文件。",
                                            "信息：", MB_ICONQUESTION | MB_YESNO);
      if (answer != IDYES) return false;
      if (!FileExists(path)) break;
      std::string now = ReadFileBytes(path);
      if (now == shown) break;
      shown = std::move(now);
    }
  }
  if (!WriteFileBytes(path, bytes)) {
    const unsigned long error = GetLastError();
    ui::ShowMessageBox("歌词没有保存，原来的文件没有改动：\r\n" + path + "\r\n" + SystemErrorText(error), "保存失败",
                       MB_ICONWARNING | MB_OK);
    return false;
  }
  if (ReadFileBytes(path) == bytes) return true;
  ui::ShowMessageBox("歌词已写入，但读回的内容不同：" + path, "保存失败", MB_ICONWARNING | MB_OK);
  return false;
}
