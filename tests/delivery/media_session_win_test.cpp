// The media session source against the stand-in runtime class of tools/, registered in
// the test prefix's registry for each test and removed after it; and the source where
// the class is missing, as on Wine itself and on Windows before 10.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "delivery/media_session_source_win.h"
#include "support/win_test_support.h"
#include "text/encoding.h"

namespace {

const wchar_t kClassKey[] =
    L"Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\"
    L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";

int ThreadsOfThisProcess() {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  return count;
}

// Wine's GetProcessHandleCount says 0: where it does, every handle value is tried.
DWORD HandlesOfThisProcess() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  }
  return count;
}

int64_t NowFileTime() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

double NowMs() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

// The stand-in class registered (DllPath, ActivationType 0) while it lives, playing the
// script file it names in RAVO_MEDIA_SESSION_SCRIPT.
class StandInSession {
 public:
  StandInSession() {
    std::string dll = "Z:" RAVO_MEDIA_SESSION_STANDIN;
    std::replace(dll.begin(), dll.end(), '/', '\\');
    const std::wstring path = enc::Wide(dll);
    HKEY key = nullptr;
    registered_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
                  ERROR_SUCCESS;
    if (registered_) {
      const DWORD inProcess = 0;
      RegSetValueExW(key, L"DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     DWORD((path.size() + 1) * sizeof(wchar_t)));
      RegSetValueExW(key, L"ActivationType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&inProcess), sizeof inProcess);
      RegCloseKey(key);
    }
    script_ = folder_.Path() + "\\script.txt";
    SetEnvironmentVariableW(L"RAVO_MEDIA_SESSION_SCRIPT", enc::Wide(script_).c_str());
    Step("# a new script");
  }
  ~StandInSession() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kClassKey);
    SetEnvironmentVariableW(L"RAVO_MEDIA_SESSION_SCRIPT", nullptr);
  }
  bool Registered() const { return registered_; }
  // One step of the player, stamped with the moment it happened.
  void Step(const std::string& command) const {
    FILE* f = _wfopen(enc::Wide(script_).c_str(), L"ab");
    ASSERT_TRUE(f);
    fprintf(f, "@%lld %s\n", static_cast<long long>(NowFileTime()), command.c_str());
    fclose(f);
  }
  // The stand-in's objects still alive (every reference the source took comes back).
  static long LiveObjects() {
    using CountFn = LONG(WINAPI*)();
    HMODULE dll = GetModuleHandleW(L"media_session_standin.dll");
    auto count = dll ? reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(dll, "StandInLiveObjects"))) : nullptr;
    return count ? count() : -1;
  }

 private:
  TempFolder folder_;
  std::string script_;
  bool registered_ = false;
};

// Reads the source as the GUI thread does, every 10 ms, until the reading satisfies done
// or limitMs pass; keeps the longest a single reading took.
class Reader {
 public:
  explicit Reader(PlayerSource& source) : source_(source) {}
  bool Until(const std::function<bool(const PlayerReading&)>& done, double limitMs = 3000) {
    const double start = NowMs();
    for (;;) {
      const double before = NowMs();
      last = source_.Read(int64_t(before));
      worstMs = std::max(worstMs, NowMs() - before);
      if (done(last)) return true;
      if (NowMs() - start > limitMs) return false;
      Sleep(10);
    }
  }
  PlayerReading last;
  double worstMs = 0;

 private:
  PlayerSource& source_;
};

bool Is(const PlayerReading& r, PlayerState state, const char* title) {
  return r.state == state && r.track.title == title;
}

TEST(MediaSession, WithoutTheClassTheSourceIsAbsentAndLeavesNoThread) {
  const int threadsBefore = ThreadsOfThisProcess();
  {
    MediaSessionSource source;
    EXPECT_EQ(source.Read(0).state, PlayerState::Absent);
    ASSERT_TRUE(PumpUntil([&] { return source.Unavailable() && !source.Working(); }));
    EXPECT_EQ(source.Read(0).state, PlayerState::Absent);
    EXPECT_FALSE(source.Working()) << "a source found absent starts no worker again";
  }
  PumpFor(100);
  printf("threads without the class: %d before, %d after\n", threadsBefore, ThreadsOfThisProcess());
  EXPECT_LE(ThreadsOfThisProcess(), threadsBefore);
}

TEST(MediaSession, FollowsTheStandInThroughPlayPauseSeekNextTrackAndClosing) {
  StandInSession standIn;
  ASSERT_TRUE(standIn.Registered());
  MediaSessionSource source;
  Reader reader(source);
  // No session yet: the player reads as absent, but the class is there.
  EXPECT_TRUE(reader.Until([](const PlayerReading& r) { return r.state == PlayerState::Absent; }));
  ASSERT_TRUE(PumpUntil([&] { return source.Working(); }, 1000));
  EXPECT_FALSE(source.Unavailable());

  // The stand-in's timeline is updated only at each step, as real players do: the
  // position between steps is the source's carrying forward.
  struct Step {
    const char* command;
    PlayerState state;
    const char* title;
    const char* artist;
    int64_t positionAtStepMs;  // the player's position when the step happened
    int64_t lengthMs;
  };
  const Step steps[] = {
      {"track Old Ferryman|Lighthouse|180000", PlayerState::Playing, "Lighthouse", "Old Ferryman", 0, 180000},
      {"pause", PlayerState::Paused, "Lighthouse", "Old Ferryman", -1, 180000},
      {"play", PlayerState::Playing, "Lighthouse", "Old Ferryman", -1, 180000},
      {"seek 61000", PlayerState::Playing, "Lighthouse", "Old Ferryman", 61000, 180000},
      {"seek 5000", PlayerState::Playing, "Lighthouse", "Old Ferryman", 5000, 180000},
      {"track |雨后的窗|95000", PlayerState::Playing, "雨后的窗", "", 0, 95000},
      {"stop", PlayerState::Stopped, "雨后的窗", "", 0, 95000},
      {"close", PlayerState::Absent, "", "", 0, 0},
  };
  int64_t expected = 0;  // the player's true position at the step (-1: where it was)
  for (const Step& s : steps) {
    const PlayerReading before = reader.last;
    const double at = NowMs();
    standIn.Step(s.command);
    ASSERT_TRUE(reader.Until([&](const PlayerReading& r) { return Is(r, s.state, s.title); }))
        << s.command << ": state " << int(reader.last.state) << " title " << reader.last.track.title;
    if (s.positionAtStepMs >= 0)
      expected = s.positionAtStepMs;
    else  // pause and play: the position it had
      expected = before.positionMs + (before.state == PlayerState::Playing ? int64_t(at) - before.takenMs : 0);
    if (s.state == PlayerState::Absent) continue;
    EXPECT_EQ(reader.last.track.artist, s.artist) << s.command;
    EXPECT_EQ(reader.last.lengthMs, s.lengthMs) << s.command;
    // Read again 400 ms on: playing, the position has moved on with the clock; paused,
    // it has stayed.
    Sleep(400);
    reader.Until([](const PlayerReading&) { return true; });
    const int64_t truth = expected + (s.state == PlayerState::Playing ? reader.last.takenMs - int64_t(at) : 0);
    EXPECT_NEAR(double(reader.last.positionMs), double(truth), 40.0) << s.command;
  }
  printf("worst reading on the GUI thread: %.2f ms\n", reader.worstMs);
  EXPECT_LT(reader.worstMs, 100.0) << "a reading only copies the worker's snapshot";
}

TEST(MediaSession, ALateAsyncOperationNeverHoldsTheReadingUp) {
  StandInSession standIn;
  ASSERT_TRUE(standIn.Registered());
  MediaSessionSource source;
  Reader reader(source);
  standIn.Step("track Old Ferryman|Lighthouse|180000");
  ASSERT_TRUE(reader.Until([](const PlayerReading& r) { return Is(r, PlayerState::Playing, "Lighthouse"); }));
  reader.worstMs = 0;
  standIn.Step("late 1000");
  const double at = NowMs();
  standIn.Step("track Old Ferryman|Moonlit River|200000");
  ASSERT_TRUE(reader.Until([](const PlayerReading& r) { return Is(r, PlayerState::Playing, "Moonlit River"); }, 5000));
  const double seenAfter = NowMs() - at;
  printf("async 1 s late: next track seen after %.0f ms, worst reading meanwhile %.2f ms\n", seenAfter, reader.worstMs);
  EXPECT_GE(seenAfter, 900.0) << "the stand-in's operation did not come late";
  EXPECT_LT(reader.worstMs, 100.0) << "the GUI thread waited on the late operation";
  EXPECT_NEAR(double(reader.last.positionMs), double(reader.last.takenMs) - at, 80.0);
}

TEST(MediaSession, TwoHundredTrackChangesKeepThreadsHandlesAndReferencesBounded) {
  StandInSession standIn;
  ASSERT_TRUE(standIn.Registered());
  const int threadsBefore = ThreadsOfThisProcess();
  DWORD handlesFirst = 0;
  int threadsFirst = 0;
  {
    MediaSessionSource source;
    Reader reader(source);
    standIn.Step("track Old Ferryman|Track 0|100000");
    ASSERT_TRUE(reader.Until([](const PlayerReading& r) { return r.track.title == "Track 0"; }));
    threadsFirst = ThreadsOfThisProcess();
    handlesFirst = HandlesOfThisProcess();
    for (int i = 1; i <= 200; ++i) {
      const std::string title = "Track " + std::to_string(i);
      standIn.Step("track Old Ferryman|" + title + "|100000");
      ASSERT_TRUE(reader.Until([&](const PlayerReading& r) { return r.track.title == title; })) << title;
    }
    const int threadsAfter = ThreadsOfThisProcess();
    const DWORD handlesAfter = HandlesOfThisProcess();
    printf("after 200 track changes: threads %d -> %d, handles %lu -> %lu, worst reading %.2f ms\n", threadsFirst,
           threadsAfter, static_cast<unsigned long>(handlesFirst), static_cast<unsigned long>(handlesAfter), reader.worstMs);
    EXPECT_LE(threadsAfter, threadsFirst);
    EXPECT_LE(handlesAfter, handlesFirst + 4);
  }
  PumpFor(100);
  const int threadsEnd = ThreadsOfThisProcess();
  printf("source ended: threads %d (before it %d), stand-in objects alive %ld\n", threadsEnd, threadsBefore,
         StandInSession::LiveObjects());
  EXPECT_LT(threadsEnd, threadsFirst) << "the worker outlived its source";
  EXPECT_EQ(StandInSession::LiveObjects(), 0) << "a reference was never released";
}

TEST(MediaSession, TheWorkerEndsWhenNobodyReadsAndComesBackWithTheNextReading) {
  StandInSession standIn;
  ASSERT_TRUE(standIn.Registered());
  standIn.Step("track Old Ferryman|Lighthouse|180000");
  MediaSessionSource source;
  Reader reader(source);
  ASSERT_TRUE(reader.Until([](const PlayerReading& r) { return Is(r, PlayerState::Playing, "Lighthouse"); }));
  ASSERT_TRUE(PumpUntil([&] { return !source.Working(); }, 6000)) << "the worker polls on with nobody reading";
  EXPECT_TRUE(reader.Until([](const PlayerReading& r) { return Is(r, PlayerState::Playing, "Lighthouse"); }));
  EXPECT_TRUE(source.Working());
}

}  // namespace
