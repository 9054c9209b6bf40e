// The file list control: a list box showing the files of one folder that match a
// pattern ("*.lrc"; several patterns separated by ";"; empty means "*.*").
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileList {
 public:
  FileList(HWND listBox, std::string_view pattern);

  // Points the list at a folder and reads it again. An empty folder means the
  // process's current folder, which then becomes the list's folder. A missing folder,
  // or a path that is not a folder, gives an empty list.
  void SetFolder(std::string_view folder);
  const std::string& Folder() const { return folder_; }
  std::vector<std::string> Entries() const;
  std::string SelectedEntry() const;

 private:
  std::optional<std::string> Entry(int index) const;  // none when there is no such entry

  HWND box_;
  std::string pattern_;
  std::string folder_;
};

// The names of the files (not folders) in folder matching any of the ";"-separated
// patterns, without duplicates, sorted without regard to ASCII case.
std::vector<std::string> ListMatchingFiles(std::string_view folder, std::string_view patterns);
