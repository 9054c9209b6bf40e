// A stand-in for the system's media session manager: a runtime class in a DLL, which
// combase loads once the class is registered in the registry (media_session_standin.md).
// It plays a scripted player: a track with a title and artist that plays, pauses, seeks,
// moves on to the next track or goes away, each step a line of a script file it rereads
// at every call. Its interfaces come from its own table (media_session_standin_slots.h),
// not from the program's header, so that a wrong identifier or slot on either side fails
// the tests.
#define _WIN32_WINNT 0x0602
#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "media_session_standin_slots.h"

namespace {

using namespace standin;

LONG g_live = 0;  // objects alive: every reference the client took must come back

// The player's state, as the script has made it so far.
struct Player {
  std::wstring script;      // the script file read, and how much of it was applied
  size_t appliedBytes = 0;
  bool session = false;
  std::wstring title, artist;
  int64_t endTime = 0;      // 100 ns units
  int32_t status = 0;       // as get_PlaybackStatus
  int64_t position = 0;     // the timeline, updated only at play, pause, seek and a new track
  int64_t lastUpdated = 0;  // FILETIME of that update
  DWORD lateMs = 0;         // async operations complete this late
};
CRITICAL_SECTION g_lock;
Player g_player;

int64_t Now() {
  FILETIME t;
  GetSystemTimePreciseAsFileTime(&t);
  return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring out(utf8.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &out[0], int(out.size())));
  return out;
}

// One line of the script: [@<FILETIME>] <command> [argument]; the moment, when given,
// is when the step happened (a test that wants to know the player's true position).
void Apply(Player& p, const std::string& line) {
  std::string rest = line;
  int64_t at = Now();
  if (!rest.empty() && rest[0] == '@') {
    at = _strtoi64(rest.c_str() + 1, nullptr, 10);
    const size_t space = rest.find(' ');
    rest = space == std::string::npos ? "" : rest.substr(space + 1);
  }
  const size_t space = rest.find(' ');
  const std::string command = rest.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : rest.substr(space + 1);
  const int64_t carried = p.status == 4 ? p.position + (at - p.lastUpdated) : p.position;
  if (command == "track") {  // track <artist>|<title>|<length ms>: the next track, playing from 0
    const size_t bar1 = argument.find('|'), bar2 = argument.find('|', bar1 + 1);
    p.session = true;
    p.artist = Wide(argument.substr(0, bar1));
    p.title = Wide(argument.substr(bar1 + 1, bar2 - bar1 - 1));
    p.endTime = _strtoi64(argument.c_str() + bar2 + 1, nullptr, 10) * 10000;
    p.status = 4;
    p.position = 0;
    p.lastUpdated = at;
  } else if (command == "play" || command == "pause" || command == "stop") {
    p.position = command == "stop" ? 0 : carried;
    p.lastUpdated = at;
    p.status = command == "play" ? 4 : command == "pause" ? 5 : 3;
  } else if (command == "seek") {  // seek <ms>
    p.position = _strtoi64(argument.c_str(), nullptr, 10) * 10000;
    p.lastUpdated = at;
  } else if (command == "close") {  // the player goes: no session any more
    p.session = false;
    p.status = 0;
  } else if (command == "late") {  // late <ms>: async operations from now on
    p.lateMs = DWORD(strtoul(argument.c_str(), nullptr, 10));
  }
}

// Applies the lines of the script added since the last call (a new or shortened script
// starts the player afresh). The script is named by RAVO_MEDIA_SESSION_SCRIPT.
void Refresh() {
  wchar_t path[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"RAVO_MEDIA_SESSION_SCRIPT", path, MAX_PATH);
  std::string text;
  if (FILE* f = _wfopen(path, L"rb")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    fclose(f);
  }
  Player& p = g_player;
  if (p.script != path || text.size() < p.appliedBytes) {
    p = Player();
    p.script = path;
  }
  for (size_t end; (end = text.find('\n', p.appliedBytes)) != std::string::npos; p.appliedBytes = end + 1) {
    std::string line = text.substr(p.appliedBytes, end - p.appliedBytes);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') Apply(p, line);
  }
}

String MakeString(const std::wstring& text) {
  using CreateFn = HRESULT(WINAPI*)(const wchar_t*, UINT32, String*);
  static const CreateFn create =
      reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"combase.dll"), "WindowsCreateString")));
  String s = nullptr;
  if (create) create(text.data(), UINT32(text.size()), &s);
  return s;
}

// What every object shares: a reference count, IInspectable's slots, and QueryInterface
// for IUnknown, IInspectable and the identifiers it lists.
template <typename Derived, typename First>
class Object : public First {
 public:
  Object() { InterlockedIncrement(&g_live); }
  virtual ~Object() { InterlockedDecrement(&g_live); }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return ULONG(left);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == kIidInspectable || iid == Derived::kIid)
      *out = static_cast<First*>(this);
    else
      *out = static_cast<Derived*>(this)->Other(iid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  void* Other(REFIID) { return nullptr; }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override {
    *count = 0;
    *iids = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(String* name) override {
    *name = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(int32_t* level) override {
    *level = 0;
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};

// An async operation that completes lateMs after it started, its results made then.
template <typename Make>
class Operation : public Object<Operation<Make>, IAsyncOperationSlots>, public IAsyncInfoSlots {
 public:
  static constexpr GUID kIid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};  // parameterised: never asked for
  Operation(Make make, DWORD lateMs) : make_(make), due_(GetTickCount() + lateMs) {}
  using Base = Object<Operation<Make>, IAsyncOperationSlots>;
  ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return Base::QueryInterface(iid, out); }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* c, IID** i) override { return Base::GetIids(c, i); }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(String* n) override { return Base::GetRuntimeClassName(n); }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(int32_t* l) override { return Base::GetTrustLevel(l); }
  void* Other(REFIID iid) { return iid == kIidAsyncInfo ? static_cast<IAsyncInfoSlots*>(this) : nullptr; }

  HRESULT STDMETHODCALLTYPE put_Completed(IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) override {
    *handler = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetResults(IUnknown** results) override {
    *results = nullptr;
    if (Status() != 1) return kIllegalMethodCall;
    *results = make_();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Id(uint32_t* id) override {
    *id = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Status(int32_t* status) override {
    *status = Status();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) override {
    *code = S_OK;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Cancel() override {
    canceled_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }

 private:
  int32_t Status() const { return canceled_ ? 2 : LONG(GetTickCount() - due_) >= 0 ? 1 : 0; }
  Make make_;
  DWORD due_;
  bool canceled_ = false;
};

template <typename Make>
IAsyncOperationSlots* Later(Make make) {
  EnterCriticalSection(&g_lock);
  const DWORD late = g_player.lateMs;
  LeaveCriticalSection(&g_lock);
  return new Operation<Make>(make, late);
}

class Properties : public Object<Properties, IPropertiesSlots> {
 public:
  static constexpr GUID kIid = kIidProperties;
  Properties(std::wstring title, std::wstring artist) : title_(std::move(title)), artist_(std::move(artist)) {}
  HRESULT STDMETHODCALLTYPE get_Title(String* value) override { return Give(title_, value); }
  HRESULT STDMETHODCALLTYPE get_Subtitle(String* value) override { return Give(L"", value); }
  HRESULT STDMETHODCALLTYPE get_AlbumArtist(String* value) override { return Give(L"", value); }
  HRESULT STDMETHODCALLTYPE get_Artist(String* value) override { return Give(artist_, value); }

 private:
  static HRESULT Give(const std::wstring& text, String* value) {
    *value = text.empty() ? nullptr : MakeString(text);  // the empty string is the null one
    return S_OK;
  }
  std::wstring title_, artist_;
};

class Timeline : public Object<Timeline, ITimelineSlots> {
 public:
  static constexpr GUID kIid = kIidTimeline;
  explicit Timeline(const Player& p) : end_(p.endTime), position_(p.position), updated_(p.lastUpdated) {}
  HRESULT STDMETHODCALLTYPE get_StartTime(int64_t* v) override { return Give(0, v); }
  HRESULT STDMETHODCALLTYPE get_EndTime(int64_t* v) override { return Give(end_, v); }
  HRESULT STDMETHODCALLTYPE get_MinSeekTime(int64_t* v) override { return Give(0, v); }
  HRESULT STDMETHODCALLTYPE get_MaxSeekTime(int64_t* v) override { return Give(end_, v); }
  HRESULT STDMETHODCALLTYPE get_Position(int64_t* v) override { return Give(position_, v); }
  HRESULT STDMETHODCALLTYPE get_LastUpdatedTime(int64_t* v) override { return Give(updated_, v); }

 private:
  static HRESULT Give(int64_t value, int64_t* out) {
    *out = value;
    return S_OK;
  }
  int64_t end_, position_, updated_;
};

class Playback : public Object<Playback, IPlaybackSlots> {
 public:
  static constexpr GUID kIid = kIidPlayback;
  explicit Playback(int32_t status) : status_(status) {}
  HRESULT STDMETHODCALLTYPE get_Controls(IUnknown** controls) override {
    *controls = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_PlaybackStatus(int32_t* status) override {
    *status = status_;
    return S_OK;
  }

 private:
  int32_t status_;
};

// Every call reads the script first, so that each step is seen at the next call.
Player Current() {
  EnterCriticalSection(&g_lock);
  Refresh();
  Player p = g_player;
  LeaveCriticalSection(&g_lock);
  return p;
}

class Session : public Object<Session, ISessionSlots> {
 public:
  static constexpr GUID kIid = kIidSession;
  HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId(String* id) override {
    *id = MakeString(L"Ravo.StandInPlayer");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync(IAsyncOperationSlots** operation) override {
    *operation = Later([]() -> IUnknown* {
      const Player p = Current();
      return new Properties(p.title, p.artist);
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTimelineProperties(ITimelineSlots** timeline) override {
    *timeline = new Timeline(Current());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPlaybackInfo(IPlaybackSlots** info) override {
    *info = new Playback(Current().status);
    return S_OK;
  }
};

class Manager : public Object<Manager, IManagerSlots> {
 public:
  static constexpr GUID kIid = kIidManager;
  HRESULT STDMETHODCALLTYPE GetCurrentSession(ISessionSlots** session) override {
    *session = Current().session ? new Session() : nullptr;
    return S_OK;
  }
};

class Statics : public Object<Statics, IStaticsSlots> {
 public:
  static constexpr GUID kIid = kIidStatics;
  HRESULT STDMETHODCALLTYPE RequestAsync(IAsyncOperationSlots** operation) override {
    *operation = Later([]() -> IUnknown* { return new Manager(); });
    return S_OK;
  }
};

// The factory combase asks for first; the statics are what the client wants of it, an
// object of their own.
class Factory : public Object<Factory, IActivationFactorySlots> {
 public:
  static constexpr GUID kIid = kIidActivationFactory;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != kIidStatics) return Object::QueryInterface(iid, out);
    *out = static_cast<IStaticsSlots*>(new Statics());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectableSlots** instance) override {
    *instance = nullptr;
    return E_NOTIMPL;  // a static class
  }
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(String classId, IActivationFactorySlots** factory);
extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow();
extern "C" __declspec(dllexport) LONG WINAPI StandInLiveObjects();

HRESULT WINAPI DllGetActivationFactory(String classId, IActivationFactorySlots** factory) {
  *factory = nullptr;
  using RawFn = const wchar_t*(WINAPI*)(String, UINT32*);
  static const RawFn raw = reinterpret_cast<RawFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"combase.dll"), "WindowsGetStringRawBuffer")));
  UINT32 length = 0;
  const wchar_t* name = raw ? raw(classId, &length) : nullptr;
  if (!name || std::wstring(name, length) != kClass) return CLASS_E_CLASSNOTAVAILABLE;
  *factory = new Factory();
  return S_OK;
}

HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }  // the script's state lives here

// For the tests: how many of the stand-in's objects are alive (0 when every reference
// handed out came back).
LONG WINAPI StandInLiveObjects() { return g_live; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
  return TRUE;
}
