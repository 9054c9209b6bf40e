#include "lyrics/lyrics_folder_win.h"

#include <windows.h>
#include <shlobj.h>

#include "text/encoding.h"
#include "win/owners.h"
#include "win/system_library.h"
#include "layout/program_windows.h"

std::string AskForLyricsFolder() {
  BROWSEINFOW info = {};
  wchar_t displayName[MAX_PATH] = {};
  // Owned by the active window so that the tool stays disabled while the dialog is up.
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  const std::wstring title = enc::Wide("选择歌词目录");
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_EDITBOX | BIF_BROWSEINCLUDEFILES;
  const auto browse = system_library::Function<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
  const auto pathOf =
      system_library::Function<decltype(&SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
  if (!browse || !pathOf) return {};
  const UniqueCoTaskMem chosen(browse(&info));
  if (!chosen.Get()) return {};
  wchar_t path[MAX_PATH] = {};
  if (!pathOf(static_cast<PCIDLIST_ABSOLUTE>(chosen.Get()), path)) return {};
  return enc::Narrow(path);
}

void UseLyricsFolder(const std::string& folder) {
  if (folder.empty()) return;
  M<MainCtl::文件框1>().SetFolder(folder);
  M<MainCtl::编辑框1>().SetText(folder);
}

void ChooseLyricsFolder() { UseLyricsFolder(AskForLyricsFolder()); }

void RefreshLyricFileList() {
  const std::string folder = M<MainCtl::编辑框1>().Text();
  M<MainCtl::文件框1>().SetFolder(folder);
  M<MainCtl::编辑框1>().SetText(folder);
}
