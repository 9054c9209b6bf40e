// The stand-in media session's own copy of the interfaces it implements: identifiers and
// slot orders as the Windows SDK's metadata gives them, written down here apart from the
// program's header so that a wrong identifier or slot on either side fails the tests.
// Every interface derives from IInspectable, whose six slots come first.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

namespace standin {

struct StringHeader;
using String = StringHeader*;

// Identifiers, each from the Windows SDK's metadata.
constexpr GUID kIidInspectable = {0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};
constexpr GUID kIidActivationFactory = {0x00000035, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidStatics = {0x2050C4EE, 0x11A0, 0x57DE, {0xAE, 0xD7, 0xC9, 0x7C, 0x70, 0x33, 0x82, 0x45}};
constexpr GUID kIidManager = {0xCACE8EAC, 0xE86E, 0x504A, {0xAB, 0x31, 0x5F, 0xF8, 0xFF, 0x1B, 0xCE, 0x49}};
constexpr GUID kIidSession = {0x7148C835, 0x9B14, 0x5AE2, {0xAB, 0x85, 0xDC, 0x9B, 0x1C, 0x14, 0xE1, 0xA8}};
constexpr GUID kIidTimeline = {0xEDE34136, 0x6F25, 0x588D, {0x8E, 0xCF, 0xEA, 0x5B, 0x67, 0x35, 0xAA, 0xA5}};
constexpr GUID kIidPlayback = {0x94B4B6CF, 0xE8BA, 0x51AD, {0x87, 0xA7, 0xC1, 0x0A, 0xDE, 0x10, 0x61, 0x27}};
constexpr GUID kIidProperties = {0x68856CF6, 0xADB4, 0x54B2, {0xAC, 0x16, 0x05, 0x83, 0x79, 0x07, 0xAC, 0xB6}};
constexpr wchar_t kClass[] = L"Windows.Media.Control.GlobalSystemMediaTransportControlsSessionManager";
constexpr HRESULT kIllegalMethodCall = HRESULT(0x8000000EL);

#define CALL virtual HRESULT STDMETHODCALLTYPE
struct IInspectableSlots : IUnknown {
  CALL GetIids(ULONG* count, IID** iids) = 0;
  CALL GetRuntimeClassName(String* name) = 0;
  CALL GetTrustLevel(int32_t* level) = 0;
};
struct IActivationFactorySlots : IInspectableSlots {
  CALL ActivateInstance(IInspectableSlots** instance) = 0;
};
struct IAsyncInfoSlots : IInspectableSlots {
  CALL get_Id(uint32_t* id) = 0;
  CALL get_Status(int32_t* status) = 0;  // 0 started, 1 completed, 2 canceled, 3 error
  CALL get_ErrorCode(HRESULT* code) = 0;
  CALL Cancel() = 0;
  CALL Close() = 0;
};
struct IAsyncOperationSlots : IInspectableSlots {
  CALL put_Completed(IUnknown* handler) = 0;
  CALL get_Completed(IUnknown** handler) = 0;
  CALL GetResults(IUnknown** results) = 0;
};
struct IPropertiesSlots : IInspectableSlots {
  CALL get_Title(String* value) = 0;
  CALL get_Subtitle(String* value) = 0;
  CALL get_AlbumArtist(String* value) = 0;
  CALL get_Artist(String* value) = 0;
};
struct ITimelineSlots : IInspectableSlots {
  CALL get_StartTime(int64_t* value) = 0;
  CALL get_EndTime(int64_t* value) = 0;
  CALL get_MinSeekTime(int64_t* value) = 0;
  CALL get_MaxSeekTime(int64_t* value) = 0;
  CALL get_Position(int64_t* value) = 0;
  CALL get_LastUpdatedTime(int64_t* value) = 0;
};
struct IPlaybackSlots : IInspectableSlots {
  CALL get_Controls(IUnknown** controls) = 0;
  CALL get_PlaybackStatus(int32_t* status) = 0;  // 0 closed .. 4 playing, 5 paused
};
struct ISessionSlots : IInspectableSlots {
  CALL get_SourceAppUserModelId(String* id) = 0;
  CALL TryGetMediaPropertiesAsync(IAsyncOperationSlots** operation) = 0;
  CALL GetTimelineProperties(ITimelineSlots** timeline) = 0;
  CALL GetPlaybackInfo(IPlaybackSlots** info) = 0;
};
struct IManagerSlots : IInspectableSlots {
  CALL GetCurrentSession(ISessionSlots** session) = 0;
};
struct IStaticsSlots : IInspectableSlots {
  CALL RequestAsync(IAsyncOperationSlots** operation) = 0;
};

#undef CALL

}  // namespace standin
