// The typed controls: each reads and writes the state of its window, or of its form for
// what has no window (a timer's period, a file list's folder).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "text/encoding.h"
#include "win/drawing_board.h"
#include "win/form.h"

using ui_internal::FormOf;
using ui_internal::kControlIdBase;
using ui_internal::LayoutOf;

Form* Control::LiveForm() const {
  Form* f = FormOf(window_);
  if (!f || !f->hwnd) return nullptr;
  ui_internal::MakeRow(*f, index_);  // a control not yet made is made when asked for
  return f;
}

const LayoutRow& Control::Row() const { return LayoutOf(window_).controls[index_]; }

HWND Control::Handle() const {
  Form* f = LiveForm();
  return f ? f->controls[index_] : nullptr;
}

bool Control::Exists() const { return LiveForm() != nullptr; }

std::string TextControl::Text() const {
  HWND h = Handle();
  if (!h) return {};
  const int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return enc::Narrow(s);
}

void TextControl::SetText(std::string_view text) const {
  if (HWND h = Handle()) SetWindowTextW(h, enc::Wide(text).c_str());
}

std::string TextControl::CutToWidth(std::string_view line) const {
  HWND h = Handle();
  if (!h) return std::string(line);
  RECT rc = {};
  GetClientRect(h, &rc);
  const std::wstring wide = enc::Wide(line);
  HDC dc = GetDC(h);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  const auto width = [&](const std::wstring& s) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
  };
  std::wstring fitted = wide;
  if (width(wide) > rc.right) {
    const std::wstring ellipsis = L"\u2026";
    size_t keep = wide.size();
    do {
      --keep;
      if (keep > 0 && IS_LOW_SURROGATE(wide[keep]) && IS_HIGH_SURROGATE(wide[keep - 1])) --keep;
      fitted = wide.substr(0, keep) + ellipsis;
    } while (keep > 0 && width(fitted) > rc.right);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(h, dc);
  return enc::Narrow(fitted);
}

void TextControl::SetCue(std::string_view cue) const {
  if (HWND h = Handle()) SendMessageW(h, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(enc::Wide(cue).c_str()));
}

bool CheckBox::Checked() const {
  HWND h = Handle();
  return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) const {
  if (HWND h = Handle()) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Control::Visible() const {
  HWND h = Handle();
  return h && (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE);
}

void Control::SetVisible(bool visible) const {
  if (HWND h = Handle()) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
}

bool Control::Enabled() const {
  HWND h = Handle();
  return h && IsWindowEnabled(h);
}

void Control::SetEnabled(bool enabled) const {
  if (HWND h = Handle()) EnableWindow(h, enabled);
}

void ProgressBar::SetPercent(double percent) const {
  if (HWND h = Handle()) SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0.0, 100.0)), 0);
}

int Timer::TimerPeriod() const {
  Form* f = LiveForm();
  return f ? f->timerPeriods[index_] : 0;
}

void Timer::SetTimerPeriod(int ms) const {
  Form* f = LiveForm();
  if (!f) return;
  if (ms < 0) ms = 0;
  int& current = f->timerPeriods[index_];
  if (ms == current) return;
  const UINT_PTR id = kControlIdBase + index_;
  if (ms == 0) {
    KillTimer(f->hwnd, id);
  } else {
    SetTimer(f->hwnd, id, static_cast<UINT>(ms), nullptr);  // replaces a running one
  }
  current = ms;
}

std::string FileListBox::Folder() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->Folder() : std::string();
}

void FileListBox::SetFolder(std::string_view folder) const {
  Form* f = LiveForm();
  if (f && f->fileLists[index_]) f->fileLists[index_]->SetFolder(folder);
}

std::vector<std::string> FileListBox::Entries() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->Entries() : std::vector<std::string>();
}

std::string FileListBox::SelectedEntry() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->SelectedEntry() : std::string();
}

void FileListBox::SetSelectedEntry(int index) const {
  if (HWND h = Handle()) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TabControl::CurrentPage() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageW(h, TCM_GETCURSEL, 0, 0)) : -1;
}

void TabControl::SetCurrentPage(int page) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h) return;
  const int pages = static_cast<int>(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0));
  page = std::clamp(page, 0, std::max(0, pages - 1));
  SendMessageW(h, TCM_SETCURSEL, page, 0);
  f->ShowPage(index_, page);
}

DrawingBoard* DrawingBoardControl::Board() const {
  HWND h = Handle();
  if (!h || Row().kind != ControlKind::DrawingBoard) return nullptr;
  return reinterpret_cast<DrawingBoard*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}
