// The few interfaces of the system's media session the tool calls, declared by hand as
// plain vtables (the compiler's headers do not carry them): each derives from
// IInspectable, whose six slots come first, and lists its methods in slot order up to the
// last one used. Identifiers and slot orders as the Windows SDK's metadata gives them.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

namespace media_session {

struct StringHeader;                 // a runtime string's handle points at one
using String = StringHeader*;        // an HSTRING

constexpr const wchar_t* kManagerClass = L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";

// What an async operation reports of itself (IAsyncInfo::get_Status).
enum AsyncStatus : int32_t { kAsyncStarted = 0, kAsyncCompleted = 1, kAsyncCanceled = 2, kAsyncError = 3 };
// A session's playback status (PlaybackInfo::get_PlaybackStatus).
enum PlaybackStatus : int32_t {
  kPlaybackClosed = 0,
  kPlaybackOpened = 1,
  kPlaybackChanging = 2,
  kPlaybackStopped = 3,
  kPlaybackPlaying = 4,
  kPlaybackPaused = 5,
};

struct Inspectable : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRuntimeClassName(String* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTrustLevel(int32_t* level) = 0;
};

// IAsyncInfo, which every async operation answers to QueryInterface.
constexpr GUID kIidAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
struct AsyncInfo : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Id(uint32_t* id) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(int32_t* status) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

// IAsyncOperation<T>: its identifier depends on T and is never needed, the operation
// being used through the pointer the call that started it gave.
template <typename T>
struct AsyncOperation : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults(T** results) = 0;
};

constexpr GUID kIidMediaProperties = {0x68856CF6, 0xADB4, 0x54B2, {0xAC, 0x16, 0x05, 0x83, 0x79, 0x07, 0xAC, 0xB6}};
struct MediaProperties : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Title(String* title) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Subtitle(String* subtitle) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AlbumArtist(String* albumArtist) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Artist(String* artist) = 0;
};

// Times: a TimeSpan counts 100 ns; LastUpdatedTime is a DateTime, 100 ns since 1601.
constexpr GUID kIidTimelineProperties = {0xEDE34136, 0x6F25, 0x588D, {0x8E, 0xCF, 0xEA, 0x5B, 0x67, 0x35, 0xAA, 0xA5}};
struct TimelineProperties : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_StartTime(int64_t* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_EndTime(int64_t* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MinSeekTime(int64_t* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MaxSeekTime(int64_t* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Position(int64_t* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LastUpdatedTime(int64_t* value) = 0;
};

constexpr GUID kIidPlaybackInfo = {0x94B4B6CF, 0xE8BA, 0x51AD, {0x87, 0xA7, 0xC1, 0x0A, 0xDE, 0x10, 0x61, 0x27}};
struct PlaybackInfo : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Controls(IUnknown** controls) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PlaybackStatus(int32_t* status) = 0;
};

constexpr GUID kIidSession = {0x7148C835, 0x9B14, 0x5AE2, {0xAB, 0x85, 0xDC, 0x9B, 0x1C, 0x14, 0xE1, 0xA8}};
struct Session : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE get_SourceAppUserModelId(String* id) = 0;
  virtual HRESULT STDMETHODCALLTYPE TryGetMediaPropertiesAsync(AsyncOperation<MediaProperties>** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTimelineProperties(TimelineProperties** timeline) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPlaybackInfo(PlaybackInfo** info) = 0;
};

constexpr GUID kIidManager = {0xCACE8EAC, 0xE86E, 0x504A, {0xAB, 0x31, 0x5F, 0xF8, 0xFF, 0x1B, 0xCE, 0x49}};
struct Manager : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE GetCurrentSession(Session** session) = 0;
};

// The class's statics, which its activation factory answers to QueryInterface.
constexpr GUID kIidManagerStatics = {0x2050C4EE, 0x11A0, 0x57DE, {0xAE, 0xD7, 0xC9, 0x7C, 0x70, 0x33, 0x82, 0x45}};
struct ManagerStatics : Inspectable {
  virtual HRESULT STDMETHODCALLTYPE RequestAsync(AsyncOperation<Manager>** operation) = 0;
};

}  // namespace media_session
