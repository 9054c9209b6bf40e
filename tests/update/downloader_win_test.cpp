// The downloader against the stand-in update host: whole files over several ranges,
// over one connection, after cut-offs; what a failed or stopped task leaves behind;
// the new name for a file that exists.
#include "update/downloader.h"
#include "win/owners.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "update/update_host_standin.h"
#include "support/download_ended.h"
#include "text/encoding.h"
#include "support/win_test_support.h"
#include "win/file_bytes.h"

namespace {

enum EventKind { kSizeKnown, kFileExists, kEnded };

struct Event {
  EventKind event;
  int64_t value;  // the size, or the bytes done at the end
};

// Records the events of one task; the handlers find the recorder through a global.
class Recorder {
 public:
  Recorder() : ended_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { current = this; }
  ~Recorder() { current = nullptr; }
  static DownloadEvents Events() {
    DownloadEvents events;
    events.sizeKnown = [](int64_t total) {
      if (Recorder* r = current) r->Add({kSizeKnown, total});
    };
    events.replaceExisting = [](const std::string&) {
      Recorder* r = current;
      if (!r) return false;
      r->Add({kFileExists, 0});
      return r->replaceExisting;
    };
    events.ended = [](const DownloadResult& result) {
      if (Recorder* r = current) r->End(result);
    };
    return events;
  }
  // Waits for the task's end and for the downloader to let go of the file; the limit
  // only keeps a broken downloader from hanging the run.
  bool AwaitEnd() {
    if (WaitForSingleObject(ended_.Get(), 60000) != WAIT_OBJECT_0) return false;
    AwaitFileLetGo(EndedPath());
    return true;
  }
  std::vector<Event> Seen() {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
  }
  std::string EndedPath() {
    std::lock_guard<std::mutex> hold(lock_);
    return result_.savedPath;
  }
  DownloadResult::Outcome Outcome() {
    std::lock_guard<std::mutex> hold(lock_);
    return result_.outcome;
  }
  bool Complete() { return Outcome() == DownloadResult::Outcome::Complete; }
  // Whether the file could be neither written nor deleted while the end was handled.
  bool HeldAtEnd() {
    std::lock_guard<std::mutex> hold(lock_);
    return heldAtEnd_;
  }
  bool replaceExisting = false;

 private:
  void Add(Event e) {
    std::lock_guard<std::mutex> hold(lock_);
    events_.push_back(e);
  }
  void End(const DownloadResult& result) {
    bool held = false;
    if (result.outcome == DownloadResult::Outcome::Complete) {
      const std::wstring path = enc::Wide(result.savedPath);
      UniqueHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
      held = !writer && !DeleteFileW(path.c_str());
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      events_.push_back({kEnded, result.doneBytes});
      result_ = result;
      heldAtEnd_ = held;
    }
    SetEvent(ended_.Get());
  }

  static inline Recorder* current = nullptr;
  std::mutex lock_;
  std::vector<Event> events_;
  DownloadResult result_;
  bool heldAtEnd_ = false;
  UniqueHandle ended_;
};

DownloadTask TaskFor(const std::string& url, const std::string& savePath, int connections) {
  DownloadTask t = TestTask(url, savePath, connections, Recorder::Events());
  t.bufferBytes = 10240;
  return t;
}

using Names = std::vector<std::string>;

struct ArrivalCase {
  const char* name;
  size_t size;
  std::vector<std::string> hostArgs;
  int connections;
  int answers206, answers200, answersCut;  // answers of the host to the file's requests
};

class DownloaderArrival : public testing::TestWithParam<ArrivalCase> {};

TEST_P(DownloaderArrival, FileIsByteIdenticalAndAloneUnderItsName) {
  const ArrivalCase& c = GetParam();
  TempFolder served, saved;
  const std::string content = RandomBytes(c.size, static_cast<unsigned>(c.size));
  const std::string source = served.Write("new.bin", content);
  std::vector<std::string> args = {"--serve", "new.exe=" + UnixPathOf(source)};
  args.insert(args.end(), c.hostArgs.begin(), c.hostArgs.end());
  StandInHost host(args);
  ASSERT_TRUE(host.Running());

  // What a download of a process ended by force left behind goes; other files stay.
  saved.Write("rdl3F2A.tmp", "left over");
  saved.Write("rdl.txt", "the user's");

  Recorder recorder;
  Downloader downloader;
  const std::string target = saved.Path() + "\\new.exe";
  DownloadTask task = TaskFor(host.Url("/files/new.exe"), target, c.connections);
  task.expectedBytes = static_cast<int64_t>(c.size);
  ASSERT_TRUE(downloader.Start(task));
  ASSERT_TRUE(recorder.AwaitEnd());

  const std::string got = ReadFileBytes(target);
  EXPECT_EQ(got.size(), content.size());
  EXPECT_TRUE(got == content) << "the file differs from the served one";
  EXPECT_EQ(FilesIn(saved.Path()), (Names{"new.exe", "rdl.txt"}));
  EXPECT_TRUE(recorder.Complete());
  EXPECT_TRUE(recorder.HeldAtEnd()) << "the file could be written or deleted while the end was handled";
  const std::vector<Event> events = recorder.Seen();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event, kSizeKnown);
  EXPECT_EQ(events[0].value, static_cast<int32_t>(c.size));
  EXPECT_EQ(events[1].event, kEnded);
  EXPECT_EQ(events[1].value, static_cast<int32_t>(c.size));
  EXPECT_EQ(recorder.EndedPath(), target);
  EXPECT_FALSE(downloader.Running());
  EXPECT_EQ(downloader.DoneBytes(), 0);
  EXPECT_EQ(downloader.TakeAllBytes(), static_cast<int32_t>(c.size));
  EXPECT_EQ(downloader.TakeAllBytes(), 0);

  const int total = c.answers206 + c.answers200;
  EXPECT_EQ(host.AwaitLog({"/files/new.exe", "\"status\": 20"}, total), total);
  EXPECT_EQ(host.CountLog({"/files/new.exe", "\"status\": 206"}), c.answers206);
  EXPECT_EQ(host.CountLog({"/files/new.exe", "\"status\": 200"}), c.answers200);
  EXPECT_EQ(host.CountLog({"/files/new.exe", "\"cut\": true"}), c.answersCut);
}

INSTANTIATE_TEST_SUITE_P(
    Downloader, DownloaderArrival,
    testing::Values(
        ArrivalCase{"five_connections", 3 << 20, {}, 5, 5, 0, 0},
        ArrivalCase{"one_connection", 3 << 20, {}, 1, 1, 0, 0},
        ArrivalCase{"ranges_refused", 3 << 20, {"--no-ranges"}, 5, 0, 1, 0},
        // Two answers break off after 100000 bytes; their slices resume from there.
        ArrivalCase{"cut_off_and_resumed", 3 << 20, {"--cut-after", "100000", "--cut-times", "2"}, 5, 7, 0, 2},
        // Too small to be worth a second connection.
        ArrivalCase{"small_file", 10000, {}, 5, 1, 0, 0},
        ArrivalCase{"odd_size", (3 << 20) + 7, {}, 5, 5, 0, 0},
        // "bytes=0-" cannot be served from an empty file (416): asked again without it.
        ArrivalCase{"empty_file", 0, {}, 5, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  std::vector<std::string> hostArgs;
  const char* path;
  int receiveTimeoutMs;
  bool sizeAnnounced;
  int32_t doneAtEnd;  // -1: some bytes, fewer than the file's
  bool refused = false;  // the host has gone: nothing listens on its port
};

class DownloaderFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(DownloaderFailure, EndsAsFailedAndLeavesNoFile) {
  const FailureCase& c = GetParam();
  constexpr size_t kSize = 1 << 20;
  TempFolder served, saved;
  const std::string source = served.Write("new.bin", RandomBytes(kSize, 7));
  std::vector<std::string> args = {"--serve", "new.exe=" + UnixPathOf(source)};
  args.insert(args.end(), c.hostArgs.begin(), c.hostArgs.end());
  std::optional<StandInHost> host(std::in_place, args);
  ASSERT_TRUE(host->Running());
  const std::string url = host->Url(c.path);
  if (c.refused) host.reset();

  Recorder recorder;
  Downloader downloader;
  DownloadTask task = TaskFor(url, saved.Path() + "\\new.exe", 5);
  task.receiveTimeoutMs = c.receiveTimeoutMs;
  ASSERT_TRUE(downloader.Start(task));
  ASSERT_TRUE(recorder.AwaitEnd());

  EXPECT_EQ(FilesIn(saved.Path()), Names{}) << "a failed download left a file";
  EXPECT_EQ(recorder.Outcome(), DownloadResult::Outcome::Failed);
  const std::vector<Event> events = recorder.Seen();
  ASSERT_EQ(events.size(), c.sizeAnnounced ? 2u : 1u);
  if (c.sizeAnnounced) {
    EXPECT_EQ(events[0].event, kSizeKnown);
  }
  EXPECT_EQ(events.back().event, kEnded);
  if (c.doneAtEnd >= 0) {
    EXPECT_EQ(events.back().value, c.doneAtEnd);
  } else {
    EXPECT_GT(events.back().value, 0);
    EXPECT_LT(events.back().value, static_cast<int32_t>(kSize));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Downloader, DownloaderFailure,
    testing::Values(
        // Without ranges a broken transfer cannot be resumed.
        FailureCase{"cut_off_without_ranges", {"--no-ranges", "--cut-after", "100000"}, "/files/new.exe", 5000, true,
                    100000},
        // The first slice stops coming at 100000 bytes, every time it is asked again.
        FailureCase{"stalled_past_receive_timeout", {"--stall-at", "100000"}, "/files/new.exe", 1000, true, -1},
        FailureCase{"not_found", {}, "/files/missing.exe", 5000, false, 0},
        FailureCase{"refused_port", {}, "/files/new.exe", 5000, false, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A server that announces another size than the task was told, or keeps the task alive
// with a trickle: the task ends as failed, having reserved nothing for the false size;
// with no size announced, the read stops at the told size.
struct ToldSizeCase {
  const char* name;
  std::vector<std::string> hostArgs;
  int64_t told;
  bool complete;
  int fileAnswers;  // the host's answers to requests for the file
};

class DownloaderToldSize : public testing::TestWithParam<ToldSizeCase> {};

TEST_P(DownloaderToldSize, TakesNoOtherSizeAndNoTrickle) {
  const ToldSizeCase& c = GetParam();
  constexpr size_t kSize = 1 << 20;
  TempFolder served, saved;
  const std::string content = RandomBytes(kSize, 9);
  std::vector<std::string> args = {"--serve", "new.exe=" + UnixPathOf(served.Write("new.bin", content))};
  args.insert(args.end(), c.hostArgs.begin(), c.hostArgs.end());
  StandInHost host(args);
  ASSERT_TRUE(host.Running());

  Recorder recorder;
  Downloader downloader;
  DownloadTask task = TaskFor(host.Url("/files/new.exe"), saved.Path() + "\\new.exe", 1);
  task.expectedBytes = c.told;
  // A window of 2 s at 1 KiB/s: the trickle brings 400 bytes in it.
  task.speedFloorWindowMs = 2000;
  ASSERT_TRUE(downloader.Start(task));
  ASSERT_TRUE(recorder.AwaitEnd());

  EXPECT_EQ(recorder.Complete(), c.complete);
  const std::vector<Event> events = recorder.Seen();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().event, kEnded);
  if (c.complete) {
    EXPECT_EQ(FilesIn(saved.Path()), Names{"new.exe"});
    EXPECT_TRUE(ReadFileBytes(saved.Path() + "\\new.exe") == content.substr(0, static_cast<size_t>(c.told)));
  } else {
    EXPECT_EQ(FilesIn(saved.Path()), Names{}) << "a refused download left a file";
    // A false size is refused before the size event, and before anything is reserved.
    for (const Event& e : events) {
      if (e.event == kSizeKnown) {
        EXPECT_EQ(e.value, c.told) << "the false size was announced";
      }
    }
  }
  EXPECT_EQ(host.AwaitLog({"/files/new.exe"}, c.fileAnswers), c.fileAnswers);
}

INSTANTIATE_TEST_SUITE_P(
    Downloader, DownloaderToldSize,
    testing::Values(
        ToldSizeCase{"false_content_range_total", {"--claim-total", "500000000000"}, 1 << 20, false, 1},
        ToldSizeCase{"false_content_length", {"--no-ranges", "--claim-total", "500000000000"}, 1 << 20, false, 1},
        ToldSizeCase{"smaller_total_than_told", {"--claim-total", "1000"}, 1 << 20, false, 1},
        // No length announced: the body is read up to the told size and no further.
        ToldSizeCase{"longer_body_than_told", {"--no-ranges", "--no-length"}, 500000, true, 1},
        ToldSizeCase{"trickle_under_the_floor", {"--rate", "200"}, 1 << 20, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// The long-path form (\\?\...) of a folder, which reaches it at any depth.
std::string LongForm(const std::string& folder) {
  const std::wstring form = FilePathForm(folder + "\\x");
  return enc::Narrow(form.substr(0, form.size() - 2));
}

// A folder deeper than MAX_PATH: the temporary file, its checks and its final name all
// reach it, and the download completes.
TEST(DownloaderLongFolder, AFolderOf300CharactersTakesTheWholeFile) {
  TempFolder served, saved;
  const std::string content = RandomBytes(100000, 300);
  const std::string source = served.Write("new.bin", content);
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(source)});
  ASSERT_TRUE(host.Running());
  std::vector<std::string> folders;
  for (std::string folder = saved.Path(); folder.size() < 300;) {
    folder += "\\" + std::string(60, 'd');
    ASSERT_TRUE(CreateDirectoryW(enc::Wide(LongForm(folder)).c_str(), nullptr)) << folder.size();
    folders.push_back(folder);
  }
  const std::string target = folders.back() + "\\new.exe";
  Recorder recorder;
  Downloader downloader;
  DownloadTask task = TaskFor(host.Url("/files/new.exe"), target, 2);
  task.expectedBytes = static_cast<int64_t>(content.size());
  ASSERT_TRUE(downloader.Start(task));
  ASSERT_TRUE(recorder.AwaitEnd());
  EXPECT_TRUE(recorder.Complete());
  EXPECT_TRUE(ReadFileBytes(target) == content);
  EXPECT_EQ(FilesIn(LongForm(folders.back())), (Names{"new.exe"}));
  // The nested folders go before the TempFolder's own removal, which takes files only.
  DeleteFileW(FilePathForm(target).c_str());
  for (auto f = folders.rbegin(); f != folders.rend(); ++f) RemoveDirectoryW(enc::Wide(LongForm(*f)).c_str());
}

TEST(DownloaderNaming, ExistingFileGetsANumberedNameOnAnswer0) {
  TempFolder served, saved;
  const std::string content = RandomBytes(200000, 3);
  const std::string source = served.Write("new.bin", content);
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(source)});
  ASSERT_TRUE(host.Running());
  saved.Write("new.exe", "old program");
  saved.Write("new(1).exe", "another old one");

  for (const char* expected : {"new(2).exe", "new(3).exe"}) {
    Recorder recorder;
    Downloader downloader;
    ASSERT_TRUE(downloader.Start(TaskFor(host.Url("/files/new.exe"), saved.Path() + "\\new.exe", 5)));
    ASSERT_TRUE(recorder.AwaitEnd());
    const std::vector<Event> events = recorder.Seen();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].event, kFileExists);
    EXPECT_EQ(events[1].event, kSizeKnown);
    EXPECT_EQ(events[2].event, kEnded);
    EXPECT_EQ(recorder.EndedPath(), saved.Path() + "\\" + expected);
    EXPECT_TRUE(ReadFileBytes(saved.Path() + "\\" + expected) == content);
  }
  EXPECT_EQ(ReadFileBytes(saved.Path() + "\\new.exe"), "old program");
  EXPECT_EQ(ReadFileBytes(saved.Path() + "\\new(1).exe"), "another old one");
  EXPECT_EQ(FilesIn(saved.Path()), (Names{"new(1).exe", "new(2).exe", "new(3).exe", "new.exe"}));
}

TEST(DownloaderNaming, OtherAnswerReplacesTheFileOnceComplete) {
  TempFolder served, saved;
  const std::string content = RandomBytes(200000, 4);
  StandInHost host({"--serve", "new.exe=" + UnixPathOf(served.Write("new.bin", content))});
  ASSERT_TRUE(host.Running());
  saved.Write("new.exe", "old program");
  Recorder recorder;
  recorder.replaceExisting = true;
  Downloader downloader;
  ASSERT_TRUE(downloader.Start(TaskFor(host.Url("/files/new.exe"), saved.Path() + "\\new.exe", 5)));
  ASSERT_TRUE(recorder.AwaitEnd());
  EXPECT_EQ(recorder.EndedPath(), saved.Path() + "\\new.exe");
  EXPECT_TRUE(ReadFileBytes(saved.Path() + "\\new.exe") == content);
  EXPECT_EQ(FilesIn(saved.Path()), Names{"new.exe"});
}

TEST(DownloaderStart, RefusesTasksItCannotCarryOut) {
  TempFolder saved;
  const std::string path = saved.Path() + "\\new.exe";
  struct Case {
    const char* why;
    DownloadTask task;
  };
  const Case cases[] = {
      {"empty address", TaskFor("", path, 5)},
      {"no host", TaskFor("http:///new.exe", path, 5)},
      {"other scheme", TaskFor("ftp://127.0.0.1/new.exe", path, 5)},
      {"not an address", TaskFor("new.exe", path, 5)},
      {"no save path", TaskFor("http://127.0.0.1:9/new.exe", "", 5)},
  };
  Recorder recorder;
  for (const Case& c : cases) {
    Downloader downloader;
    EXPECT_FALSE(downloader.Start(c.task)) << c.why;
    EXPECT_FALSE(downloader.Running()) << c.why;
  }
  EXPECT_TRUE(recorder.Seen().empty());
}

// Stopped, the task ends as stopped; destroyed, it raises nothing more. Either way its
// file goes.
TEST(DownloaderStop, EndsTheTaskAsStoppedAndRemovesItsFile) {
  for (const bool byDestructor : {false, true}) {
    SCOPED_TRACE(byDestructor ? "destroyed" : "stopped");
    TempFolder served, saved;
    StandInHost host({"--serve", "new.exe=" + UnixPathOf(served.Write("new.bin", RandomBytes(1 << 20, 5))),
                      "--stall-at", "300000", "--stall-seconds", "3"});
    ASSERT_TRUE(host.Running());
    Recorder recorder;
    {
      Downloader downloader;
      DownloadTask task = TaskFor(host.Url("/files/new.exe"), saved.Path() + "\\new.exe", 1);
      task.stopWaitMs = 200;
      // A read waits until its buffer is full: the stall falls on a buffer boundary.
      task.bufferBytes = 1000;
      ASSERT_TRUE(downloader.Start(task));
      // Wait until the transfer stands still at the stall.
      for (int i = 0; i < 400 && downloader.DoneBytes() < 300000; ++i) Sleep(25);
      ASSERT_EQ(downloader.DoneBytes(), 300000);
      EXPECT_TRUE(downloader.Running());
      EXPECT_EQ(downloader.TakeTaskBytes(), 300000);
      EXPECT_EQ(downloader.TakeTaskBytes(), 0);
      if (!byDestructor) {
        downloader.Stop();
        EXPECT_FALSE(downloader.Running());
        EXPECT_EQ(downloader.DoneBytes(), 0);
      }
    }
    // The stalled connection ends with the host's hold; then the temporary file goes.
    for (int i = 0; i < 400 && !FilesIn(saved.Path()).empty(); ++i) Sleep(25);
    EXPECT_EQ(FilesIn(saved.Path()), Names{});
    Sleep(200);
    const std::vector<Event> events = recorder.Seen();
    ASSERT_EQ(events.size(), byDestructor ? 1u : 2u);
    EXPECT_EQ(events[0].event, kSizeKnown);
    if (!byDestructor) {
      EXPECT_EQ(events[1].event, kEnded);
      EXPECT_EQ(recorder.Outcome(), DownloadResult::Outcome::Stopped);
    }
  }
}

}  // namespace
