#include "delivery/media_session_source_win.h"

#include <atomic>
#include <mutex>
#include <string>

#include "delivery/media_session_abi_win.h"
#include "delivery/media_timeline.h"
#include "text/encoding.h"
#include "win/system_library.h"
#include "win/worker_thread.h"

using namespace media_session;

namespace {

constexpr DWORD kCycleMs = 50;         // between two looks: the follower reads every 100 ms at most
constexpr DWORD kNoManagerMs = 1000;   // between two requests for the manager that failed
constexpr DWORD kAsyncBoundMs = 3000;  // the longest an async operation is waited for
constexpr DWORD kAsyncPollMs = 5;
constexpr DWORD kIdleEndMs = 3000;     // read by nobody this long, the worker ends
constexpr DWORD kEndWaitMs = 2000;     // the longest the source's end waits for its worker
constexpr int32_t kMultiThreaded = 1;  // RO_INIT_MULTITHREADED

// The functions of combase.dll the source needs, bound on the worker at its start.
struct Combase {
  HRESULT(WINAPI* roInitialize)(int32_t) = nullptr;
  void(WINAPI* roUninitialize)() = nullptr;
  HRESULT(WINAPI* roGetActivationFactory)(String, REFIID, void**) = nullptr;
  HRESULT(WINAPI* createString)(const wchar_t*, UINT32, String*) = nullptr;
  const wchar_t*(WINAPI* rawBuffer)(String, UINT32*) = nullptr;
  HRESULT(WINAPI* deleteString)(String) = nullptr;

  bool Complete() const {
    return roInitialize && roUninitialize && roGetActivationFactory && createString && rawBuffer && deleteString;
  }
};

template <typename Fn>
void Bind(Fn& fn, const char* name) {
  fn = system_library::Function<Fn>(L"combase.dll", name);
}

Combase BindCombase() {
  Combase c;
  Bind(c.roInitialize, "RoInitialize");
  Bind(c.roUninitialize, "RoUninitialize");
  Bind(c.roGetActivationFactory, "RoGetActivationFactory");
  Bind(c.createString, "WindowsCreateString");
  Bind(c.rawBuffer, "WindowsGetStringRawBuffer");
  Bind(c.deleteString, "WindowsDeleteString");
  return c;
}

// One reference to an interface, released with its holder.
template <typename T>
class Held {
 public:
  Held() = default;
  ~Held() { Reset(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// A runtime string handed over by a call: read as UTF-8, deleted with its holder.
class HeldString {
 public:
  explicit HeldString(const Combase& c) : c_(c) {}
  ~HeldString() {
    if (s_) c_.deleteString(s_);
  }
  HeldString(const HeldString&) = delete;
  HeldString& operator=(const HeldString&) = delete;
  String* Receive() { return &s_; }
  String Get() const { return s_; }
  std::string Utf8() const {
    UINT32 length = 0;
    const wchar_t* text = s_ ? c_.rawBuffer(s_, &length) : nullptr;
    return text ? enc::Narrow(std::wstring_view(text, length)) : std::string();
  }

 private:
  const Combase& c_;
  String s_ = nullptr;
};

// The results of an async operation, its status polled until it completes: false when it
// failed or was cancelled, when it did not complete within the bound (it is then
// cancelled), or when the source is to end.
template <typename T>
bool Await(AsyncOperation<T>* operation, HANDLE stop, Held<T>& results) {
  Held<AsyncInfo> info;
  if (FAILED(operation->QueryInterface(kIidAsyncInfo, info.ReceiveVoid())) || !info) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    int32_t status = kAsyncError;
    if (FAILED(info->get_Status(&status))) status = kAsyncError;
    if (status == kAsyncCompleted) {
      const HRESULT got = operation->GetResults(results.Receive());
      info->Close();
      return SUCCEEDED(got) && results;
    }
    if (status != kAsyncStarted) break;
    if (GetTickCount() - start >= kAsyncBoundMs || WaitForSingleObject(stop, kAsyncPollMs) == WAIT_OBJECT_0) {
      info->Cancel();
      break;
    }
  }
  info->Close();
  return false;
}

// What one look at the current session saw.
struct Look {
  bool session = false;
  bool trackRead = false;  // false: the media properties did not come in time
  int32_t status = kPlaybackClosed;
  MediaTimeline timeline;
  PlayerTrack track;
};

// The properties are read before the timeline, so that a track that has just changed is
// not paired with the position of the one before.
Look LookAt(const Combase& c, Manager* manager, HANDLE stop) {
  Look look;
  Held<Session> session;
  if (FAILED(manager->GetCurrentSession(session.Receive())) || !session) return look;
  look.session = true;
  Held<AsyncOperation<MediaProperties>> asking;
  Held<MediaProperties> properties;
  if (SUCCEEDED(session->TryGetMediaPropertiesAsync(asking.Receive())) && asking &&
      Await(asking.Get(), stop, properties)) {
    HeldString title(c), artist(c);
    if (SUCCEEDED(properties->get_Title(title.Receive()))) look.track.title = title.Utf8();
    if (SUCCEEDED(properties->get_Artist(artist.Receive()))) look.track.artist = artist.Utf8();
    look.trackRead = true;
  }
  Held<PlaybackInfo> playback;
  if (SUCCEEDED(session->GetPlaybackInfo(playback.Receive())) && playback &&
      FAILED(playback->get_PlaybackStatus(&look.status)))
    look.status = kPlaybackClosed;
  Held<TimelineProperties> timeline;
  if (SUCCEEDED(session->GetTimelineProperties(timeline.Receive())) && timeline) {
    MediaTimeline t;
    if (SUCCEEDED(timeline->get_EndTime(&t.endTime)) && SUCCEEDED(timeline->get_Position(&t.position)) &&
        SUCCEEDED(timeline->get_LastUpdatedTime(&t.lastUpdatedTime)))
      look.timeline = t;
  }
  return look;
}

int64_t NowFileTime() {
  using PreciseFn = void(WINAPI*)(FILETIME*);
  static const PreciseFn precise = system_library::Function<PreciseFn>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
  FILETIME now{};
  if (precise)
    precise(&now);
  else
    GetSystemTimeAsFileTime(&now);
  return (int64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

struct MediaSessionSource::Shared {
  UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> running{true};
  std::atomic<bool> unavailable{false};
  std::atomic<DWORD> lastRead{GetTickCount()};
  std::mutex lock;
  Look latest;  // under lock
};

namespace {

void Publish(MediaSessionSource::Shared& shared, Look look) {
  std::lock_guard<std::mutex> hold(shared.lock);
  if (!look.trackRead && look.session && shared.latest.session) {  // the session's track as last read
    look.track = shared.latest.track;
    look.trackRead = shared.latest.trackRead;
  }
  shared.latest = std::move(look);
}

// Looks at the session every cycle until the source ends or nobody reads it any more.
void Follow(const Combase& c, ManagerStatics* statics, MediaSessionSource::Shared& shared) {
  Held<Manager> manager;
  for (;;) {
    if (GetTickCount() - shared.lastRead.load() >= kIdleEndMs) return;
    if (!manager) {
      Held<AsyncOperation<Manager>> asking;
      if (SUCCEEDED(statics->RequestAsync(asking.Receive())) && asking) Await(asking.Get(), shared.stop.Get(), manager);
    }
    Publish(shared, manager ? LookAt(c, manager.Get(), shared.stop.Get()) : Look{});
    if (WaitForSingleObject(shared.stop.Get(), manager ? kCycleMs : kNoManagerMs) == WAIT_OBJECT_0) return;
  }
}

// The worker's name, for a debugger's list of threads (Windows 10 1607 and later).
void NameThisThread() {
  using DescribeFn = HRESULT(WINAPI*)(HANDLE, const wchar_t*);
  if (auto describe = system_library::Function<DescribeFn>(L"kernel32.dll", "SetThreadDescription"))
    describe(GetCurrentThread(), L"media session");
}

void Watch(MediaSessionSource::Shared& shared) {
  NameThisThread();
  const Combase c = BindCombase();
  if (!c.Complete() || FAILED(c.roInitialize(kMultiThreaded))) {
    shared.unavailable = true;
    shared.running = false;
    return;
  }
  {
    Held<ManagerStatics> statics;
    String name = nullptr;
    const std::wstring_view className(kManagerClass);
    if (SUCCEEDED(c.createString(className.data(), UINT32(className.size()), &name))) {
      if (FAILED(c.roGetActivationFactory(name, kIidManagerStatics, statics.ReceiveVoid()))) statics.Reset();
      c.deleteString(name);
    }
    if (statics)
      Follow(c, statics.Get(), shared);
    else
      shared.unavailable = true;
  }  // every reference released before the apartment is left
  c.roUninitialize();
  shared.running = false;
}

}  // namespace

MediaSessionSource::~MediaSessionSource() {
  if (!shared_) return;
  SetEvent(shared_->stop.Get());
  if (worker_) WaitForSingleObject(worker_.Get(), kEndWaitMs);
}

PlayerReading MediaSessionSource::Read(int64_t nowMs) {
  PlayerReading reading;
  reading.takenMs = nowMs;
  if (shared_ && shared_->unavailable) return reading;
  if (!shared_ || !shared_->running) {
    auto shared = std::make_shared<Shared>();
    if (!shared->stop) return reading;
    UniqueHandle worker = StartOwnedThread([shared] { Watch(*shared); });
    if (!worker) return reading;
    shared_ = std::move(shared);
    worker_ = std::move(worker);  // the handle of a worker that ended for lack of readers is let go
  }
  shared_->lastRead = GetTickCount();
  Look look;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    look = shared_->latest;
  }
  if (!look.session || look.status == kPlaybackClosed) return reading;
  // A session whose track has never been read plays nothing the tool can name yet.
  if (!look.trackRead) look.status = kPlaybackStopped;
  switch (look.status) {
    case kPlaybackPlaying: reading.state = PlayerState::Playing; break;
    case kPlaybackPaused: reading.state = PlayerState::Paused; break;
    default: reading.state = PlayerState::Stopped; break;  // opened, changing, stopped
  }
  reading.positionMs = CarriedPositionMs(look.timeline, reading.state == PlayerState::Playing, NowFileTime());
  reading.lengthMs = TimelineLengthMs(look.timeline);
  reading.track = std::move(look.track);
  return reading;
}

bool MediaSessionSource::Working() const { return worker_ && WaitForSingleObject(worker_.Get(), 0) == WAIT_TIMEOUT; }

bool MediaSessionSource::Unavailable() const { return shared_ && shared_->unavailable; }
