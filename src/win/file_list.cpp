#include "win/file_list.h"

#include <algorithm>
#include <optional>

#include "win/owners.h"
#include "text/encoding.h"
#include "win/file_bytes.h"
#include "text/utf8_text.h"
#include "win/process_paths.h"

namespace {

bool EndsWithBackslash(const std::string& path) {
  const int32_t last = utf8::FindBackwards(path, "\\");
  return last > 0 && last == utf8::Len(path);
}

}  // namespace

std::vector<std::string> ListMatchingFiles(std::string_view folder, std::string_view patterns) {
  std::string dir(folder);
  if (!EndsWithBackslash(dir)) dir += '\\';
  std::vector<std::string> pieces = utf8::Split(patterns, ";");
  if (pieces.empty()) pieces.push_back("*.*");
  std::vector<std::string> names;
  for (const std::string& pattern : pieces) {
    if (pattern.empty()) continue;
    WIN32_FIND_DATAW fd;
    // The long-path form lists a folder deeper than MAX_PATH too.
    UniqueFind find(FindFirstFileW(FilePathForm(dir + pattern).c_str(), &fd));
    if (!find.Valid()) continue;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(enc::Narrow(fd.cFileName));
    } while (FindNextFileW(find.Get(), &fd));
  }
  auto lessNoCase = [](const std::string& a, const std::string& b) {
    return utf8::ToLowerAscii(a) < utf8::ToLowerAscii(b);
  };
  std::sort(names.begin(), names.end(), lessNoCase);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

FileList::FileList(HWND listBox, std::string_view pattern) : box_(listBox), pattern_(pattern) {}

void FileList::SetFolder(std::string_view folder) {
  folder_ = std::string(folder);
  if (folder_.empty()) folder_ = CurrentFolder();
  SendMessageW(box_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(box_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : ListMatchingFiles(folder_, pattern_))
    SendMessageW(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(enc::Wide(name).c_str()));
  SendMessageW(box_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box_, nullptr, TRUE);
}

std::optional<std::string> FileList::Entry(int index) const {
  const int len = static_cast<int>(SendMessageW(box_, LB_GETTEXTLEN, index, 0));
  if (len < 0) return std::nullopt;
  std::wstring s(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(box_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(len));
  return enc::Narrow(s);
}

std::vector<std::string> FileList::Entries() const {
  std::vector<std::string> out;
  const int n = static_cast<int>(SendMessageW(box_, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i)
    if (std::optional<std::string> entry = Entry(i)) out.push_back(std::move(*entry));
  return out;
}

std::string FileList::SelectedEntry() const {
  const int sel = static_cast<int>(SendMessageW(box_, LB_GETCURSEL, 0, 0));
  return sel < 0 ? std::string() : Entry(sel).value_or(std::string());
}
