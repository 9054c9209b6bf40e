#include "lyrics/lyrics_folder_win.h"

#include <windows.h>
#include <shlobj.h>

#include "text/encoding.h"
#include "win/file_bytes.h"
#include "win/owners.h"
#include "win/program.h"
#include "win/system_library.h"
#include "layout/program_windows.h"

namespace {

// The item's file-system path, of any length: the shell's allocated name where the
// system has it, else the MAX_PATH buffer of older systems.
std::string PathOfItem(void* item) {
  using NameOf = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, SIGDN, PWSTR*);
  static const auto nameOf = system_library::Function<NameOf>(L"shell32.dll", "SHGetNameFromIDList");
  const auto id = static_cast<PCIDLIST_ABSOLUTE>(item);
  if (nameOf) {
    wchar_t* name = nullptr;
    if (SUCCEEDED(nameOf(id, SIGDN_FILESYSPATH, &name)) && name) {
      const UniqueCoTaskMem owned(name);
      return enc::Narrow(name);
    }
    return {};
  }
  const auto pathOf =
      system_library::Function<decltype(&SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
  wchar_t path[MAX_PATH] = {};
  if (!pathOf || !pathOf(id, path)) return {};
  return enc::Narrow(path);
}

}  // namespace

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
  if (!browse) {
    const unsigned long error = GetLastError();
    ui::ShowMessageBox("选择目录的对话框打不开：\r\n" + SystemErrorText(error ? error : ERROR_PROC_NOT_FOUND), "信息：",
                       MB_ICONWARNING | MB_OK);
    return {};
  }
  const UniqueCoTaskMem chosen(browse(&info));
  if (!chosen.Get()) return {};
  return PathOfItem(chosen.Get());
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
