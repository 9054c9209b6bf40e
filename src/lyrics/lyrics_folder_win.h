// The lyrics folder: the folder whose .lrc files 文件框1 lists. It lives only in the
// window, as the path in 编辑框1 and the folder of 文件框1; LyricsFolder's handlers are
// bound in the event table.
#pragma once

#include <string>

// The shell's folder dialog, titled "选择歌词目录", with a path field and files shown
// too. Returns the chosen item's file-system path, or empty when the dialog was
// cancelled or the item has no such path.
std::string AskForLyricsFolder();

// Points 文件框1 at folder and shows it in 编辑框1; an empty folder changes nothing.
void UseLyricsFolder(const std::string& folder);

// The folder dialog ("导入目录", 按钮2 and the menu item 添加指定目录), and "更新本地歌词"
// or Enter in 编辑框1, which list the folder typed into 编辑框1.
void ChooseLyricsFolder();
void RefreshLyricFileList();

// The feature as the event table binds it; it keeps nothing: the folder lives in the window.
class LyricsFolder {
 public:
  void OnChooseFolder() { ChooseLyricsFolder(); }
  void OnRefreshList() { RefreshLyricFileList(); }
};
