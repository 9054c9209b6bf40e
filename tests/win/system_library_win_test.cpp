// DLLs bound at their first use come from the system folder, on systems that know the
// search flags and on those that do not (where the flag would be refused).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win/system_library.h"

namespace {

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

std::wstring FileOf(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

TEST(SystemLibrary, LoadsFromTheSystemFolderWithOrWithoutTheSearchFlags) {
  // DLLs the tests load nowhere else, one for each way.
  const struct {
    const wchar_t* dll;
    bool searchFlagsKnown;
  } kCases[] = {{L"msimg32.dll", true}, {L"mpr.dll", false}};
  const std::wstring folder = SystemFolder() + L"\\";
  for (const auto& c : kCases) {
    ASSERT_EQ(GetModuleHandleW(c.dll), nullptr) << "already loaded";
    const HMODULE module = system_library::Load(c.dll, c.searchFlagsKnown);
    ASSERT_NE(module, nullptr) << c.searchFlagsKnown;
    EXPECT_EQ(_wcsnicmp(FileOf(module).c_str(), folder.c_str(), folder.size()), 0) << FileOf(module).c_str();
    EXPECT_EQ(system_library::Load(c.dll), module);
  }
  EXPECT_EQ(system_library::Load(L"no-such-library.dll", false), nullptr);
  EXPECT_NE(system_library::Find(L"uxtheme.dll", "GetWindowTheme"), nullptr);
}

}  // namespace
