// Typed, non-owning handles on the controls of a loaded window, one type per kind of
// control: a list view offers rows and cells, a button its caption, a timer its period;
// a call that makes no sense for the kind does not compile. The layouts give each name
// its type (layout/program_windows.h):
//
//   M<MainCtl::编辑框1>().SetText(folder);      // TextControl
//   M<MainCtl::时钟_歌词播放>().SetTimerPeriod(0);  // Timer
//
// A control whose window does not exist (its window was never loaded or is already
// destroyed) reads as empty and ignores writes, so a handler that runs on after its
// window closed touches nothing destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/layout_row.h"
#include "win/ui_event.h"

class Form;
class DrawingBoard;

// The most UTF-16 units a virtual list view's cell gives: far more than a row shows.
inline constexpr size_t kMaxCellUnits = 1024;

// Where a virtual list view gets its rows: the control stores none and asks for each
// cell it shows, or that anyone (this program, a screen reader) asks it for.
// The source is a context (what the rows show, which its owner keeps for as long as the
// list shows it) and the two functions that read a row of it. A cell is asked for at most
// maxUnits UTF-16 units and gives the start of its text that fits, cut at a character
// (utf8::CutToUtf16Units): a line of megabytes is neither copied nor widened whole on
// every paint, hover or tool tip.
struct RowSource {
  const void* context = nullptr;
  std::string (*cell)(const void* context, int row, int column, size_t maxUnits) = nullptr;
  intptr_t (*data)(const void* context, int row) = nullptr;  // the row's item data; null: 0

  std::string Cell(int row, int column, size_t maxUnits) const {
    return cell ? cell(context, row, column, maxUnits) : std::string();
  }
  intptr_t Data(int row) const { return data ? data(context, row) : 0; }
};

// Any control: its window, its layout row and whether it shows.
class Control {
 public:
  constexpr Control(WindowKind window, int index) : window_(window), index_(index) {}

  HWND Handle() const;  // null for controls without a window, or when not loaded
  bool Exists() const;
  const LayoutRow& Row() const;  // the control's row in its window's layout
  bool Visible() const;
  void SetVisible(bool visible) const;
  bool Enabled() const;
  void SetEnabled(bool enabled) const;
  // The tip shown while the pointer rests on the control (lines apart by "\r\n"); an
  // empty text shows none.
  std::string ToolTip() const;
  void SetToolTip(std::string_view text) const;

 protected:
  Form* LiveForm() const;
  WindowKind window_;
  int index_;
};

// Labels, edit boxes, group boxes, hyperlinks: the caption or the content.
class TextControl : public Control {
 public:
  using Control::Control;
  std::string Text() const;
  void SetText(std::string_view text) const;
  // The line as it fits the control's width in its own font: whole, or cut at a
  // character with "…" at the end.
  std::string CutToWidth(std::string_view line) const;
  // An edit box's grey hint while it is empty and without the focus; no text in it.
  void SetCue(std::string_view cue) const;
};

// Push buttons: their caption.
class Button : public TextControl {
 public:
  using TextControl::TextControl;
};

class CheckBox : public TextControl {
 public:
  using TextControl::TextControl;
  bool Checked() const;
  void SetChecked(bool checked) const;
};

// A window timer of the form: a positive period runs it, 0 or less stops it; setting
// the period it already has leaves it running undisturbed.
class Timer : public Control {
 public:
  using Control::Control;
  int TimerPeriod() const;
  void SetTimerPeriod(int ms) const;
};

// A key combination the form holds system-wide from its creation to its end: Held()
// is false when it could not be had (another program holds it, or its text names no
// key).
class HotKey : public Control {
 public:
  using Control::Control;
  bool Held() const;
};

// What every report list view offers (rows 0-based).
class ListViewBase : public Control {
 public:
  using Control::Control;
  int RowCount() const;
  void DeleteAllRows() const;
  std::string Cell(int row, int column) const;
  intptr_t RowData(int row) const;  // 0 when there is no such row
  int SelectedRow() const;          // -1: none
  void SetSelectedRow(int row) const;  // raises none of the list's events
  void EnsureVisible(int row) const;
  int ColumnCount() const;
  std::string ColumnCaption(int column) const;
  int ColumnWidth(int column) const;
};

// A list view that stores its rows.
class ListView : public ListViewBase {
 public:
  using ListViewBase::ListViewBase;
  int InsertRow(std::string_view firstColumn, intptr_t itemData) const;  // at the end
  void SetCell(int row, int column, std::string_view text) const;
  void DeleteRow(int row) const;
};

// A list view that stores no rows: shows rows 0 .. count - 1 of source, with no row
// selected. The source must outlive the rows shown.
class VirtualListView : public ListViewBase {
 public:
  using ListViewBase::ListViewBase;
  void ShowRows(const RowSource& source, int count) const;  // the source is kept by value
};

// File lists: the folder they list (never empty once created), their entries and the
// selected entry (file name without folder; empty when none).
class FileListBox : public Control {
 public:
  using Control::Control;
  std::string Folder() const;
  void SetFolder(std::string_view folder) const;
  std::vector<std::string> Entries() const;
  std::string SelectedEntry() const;
  void SetSelectedEntry(int index) const;  // selects without raising the list's events
};

// Tab controls: 0-based page; SetCurrentPage limits the value to the last page.
class TabControl : public Control {
 public:
  using Control::Control;
  int CurrentPage() const;
  void SetCurrentPage(int page) const;
};

class DrawingBoardControl : public Control {
 public:
  using Control::Control;
  DrawingBoard* Board() const;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  // The bar filled to percent, held within 0 to 100.
  void SetPercent(double percent) const;
};

// The handle type of each kind of control.
template <ControlKind K> struct ControlTypeOf { using type = Control; };
template <> struct ControlTypeOf<ControlKind::Label> { using type = TextControl; };
template <> struct ControlTypeOf<ControlKind::TransparentLabel> { using type = TextControl; };
template <> struct ControlTypeOf<ControlKind::Edit> { using type = TextControl; };
template <> struct ControlTypeOf<ControlKind::GroupBox> { using type = TextControl; };
template <> struct ControlTypeOf<ControlKind::Hyperlink> { using type = TextControl; };
template <> struct ControlTypeOf<ControlKind::Button> { using type = Button; };
template <> struct ControlTypeOf<ControlKind::ImageButton> { using type = Button; };
template <> struct ControlTypeOf<ControlKind::CheckBox> { using type = CheckBox; };
template <> struct ControlTypeOf<ControlKind::Timer> { using type = Timer; };
template <> struct ControlTypeOf<ControlKind::ListView> { using type = ListView; };
template <> struct ControlTypeOf<ControlKind::VirtualListView> { using type = VirtualListView; };
template <> struct ControlTypeOf<ControlKind::FileList> { using type = FileListBox; };
template <> struct ControlTypeOf<ControlKind::TabControl> { using type = TabControl; };
template <> struct ControlTypeOf<ControlKind::DrawingBoard> { using type = DrawingBoardControl; };
template <> struct ControlTypeOf<ControlKind::HotKey> { using type = HotKey; };
template <> struct ControlTypeOf<ControlKind::ProgressBar> { using type = ProgressBar; };
template <ControlKind K>
using ControlType = typename ControlTypeOf<K>::type;
