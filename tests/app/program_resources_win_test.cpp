// What Windows reads from the program file before it runs a line of it: the version
// information of its Properties, its icon, and the application manifest.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "build_settings.h"
#include "text/encoding.h"

namespace {

std::string VersionString(const std::vector<char>& info, const char* name) {
  wchar_t* value = nullptr;
  UINT size = 0;
  const std::wstring path = L"\\StringFileInfo\\080404b0\\" + enc::Wide(name);
  if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &size) || !value) return {};
  return enc::Narrow(value);
}

TEST(ProgramResources, VersionInformationAsPropertiesShowIt) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(RAVO_PROGRAM_FILE, &ignored);
  ASSERT_GT(size, 0u) << "no version information in " << RAVO_PROGRAM_FILE;
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(RAVO_PROGRAM_FILE, 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  const DWORD ms = MAKELONG(RAVO_VERSION_MINOR, RAVO_VERSION_MAJOR), ls = MAKELONG(0, RAVO_BUILD_NUMBER);
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // The strings come back in the ANSI code page, GBK here, as the literals are.
  struct Case {
    const char* name;
    std::string value;
  };
  const Case cases[] = {
      {"ProductName", "Ravo字幕器"},
      {"ProductVersion", RAVO_VERSION},
      {"FileVersion", RAVO_VERSION},
      {"CompanyName", RAVO_MAKER},
      {"OriginalFilename", "RavoSubtitler.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(VersionString(info, c.name), c.value) << c.name;
  EXPECT_NE(VersionString(info, "FileDescription").find("Ravo字幕器"), std::string::npos);
}

// The icon in the sizes of the title bar and the task switcher at 100 to 200 % display
// scale; the manifest asks for per-monitor DPI awareness, with the system's DPI where
// Windows knows no other.
TEST(ProgramResources, IconInEverySizeAndManifest) {
  HMODULE program = LoadLibraryExA(RAVO_PROGRAM_FILE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  for (int size : {16, 20, 24, 32, 40, 48, 64}) {
    HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP bm = {};
    GetObjectA(ii.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, size);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);
  }

  HRSRC res = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(res, nullptr) << "no manifest";
  const char* data = static_cast<const char*>(LockResource(LoadResource(program, res)));
  const std::string manifest(data, SizeofResource(program, res));
  FreeLibrary(program);
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>", ">true/pm</dpiAware>",
                           ">PerMonitorV2, PerMonitor</dpiAwareness>"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

// The tests carry the program's manifest too: the controls they check are the version 6
// common controls the program gets (only their buttons tell their ideal size).
TEST(ProgramResources, CommonControlsVersionSixAreActive) {
  HWND button = CreateWindowExA(0, "BUTTON", "播 放", WS_POPUP | BS_PUSHBUTTON, 0, 0, 80, 24, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  SIZE ideal = {};
  EXPECT_TRUE(SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
  DestroyWindow(button);
}

}  // namespace
