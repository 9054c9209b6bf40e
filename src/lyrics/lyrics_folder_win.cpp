#include "lyrics/lyrics_folder_win.h"

#include <windows.h>
#include <shlobj.h>

#include "win/owners.h"
#include "layout/program_windows.h"

std::string AskForLyricsFolder() {
  BROWSEINFOA info = {};
  char displayName[MAX_PATH] = {};
  // Owned by the active window so that the tool stays disabled while the dialog is up.
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = "选择歌词目录";
  info.ulFlags = BIF_EDITBOX | BIF_BROWSEINCLUDEFILES;
  const UniqueCoTaskMem chosen(SHBrowseForFolderA(&info));
  if (!chosen.Get()) return {};
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(chosen.Get()), path)) return {};
  return path;
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
