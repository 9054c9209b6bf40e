// The report list views: rows, cells, selection and columns; a virtual list view's rows
// come from its row source.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "text/encoding.h"
#include "win/form.h"

int ListViewBase::RowCount() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void ListViewBase::DeleteAllRows() const {
  if (HWND h = Handle()) SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
}

int ListView::InsertRow(std::string_view firstColumn, intptr_t itemData) const {
  HWND h = Handle();
  if (!h) return -1;
  std::wstring text = enc::Wide(firstColumn);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = text.data();
  item.lParam = itemData;
  return static_cast<int>(SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetCell(int row, int column, std::string_view text) const {
  HWND h = Handle();
  if (!h) return;
  std::wstring s = enc::Wide(text);
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = s.data();
  SendMessageW(h, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string ListViewBase::Cell(int row, int column) const {
  HWND h = Handle();
  if (!h || row < 0 || row >= RowCount()) return {};
  // The list view copies at most the buffer's size: grow until the text fits.
  for (size_t size = 256;; size *= 4) {
    std::wstring buf(size, L'\0');
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(size);
    const int got = static_cast<int>(SendMessageW(h, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (got < 0) return {};
    if (static_cast<size_t>(got) < size - 2 || size >= (1u << 24)) {
      buf.resize(wcsnlen(buf.data(), size));
      return enc::Narrow(buf);
    }
  }
}

intptr_t ListViewBase::RowData(int row) const {
  HWND h = Handle();
  if (!h || row < 0) return 0;
  if (const RowSource& source = LiveForm()->rowSources[index_]; source.cell)
    return row < RowCount() ? source.Data(row) : 0;
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(h, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

void ListView::DeleteRow(int row) const {
  if (HWND h = Handle()) SendMessageW(h, LVM_DELETEITEM, row, 0);
}

int ListViewBase::SelectedRow() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void ListViewBase::SetSelectedRow(int row) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h) return;
  f->quietListChanges = true;
  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row >= 0) {
    LVITEMW set = {};
    set.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    set.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(h, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&set));
  }
  f->quietListChanges = false;
}

void VirtualListView::ShowRows(const RowSource& source, int count) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h || Row().kind != ControlKind::VirtualListView) return;
  SetSelectedRow(-1);
  f->rowSources[index_] = source;
  SendMessageW(h, LVM_SETITEMCOUNT, std::max(count, 0), 0);
  InvalidateRect(h, nullptr, TRUE);
}

void ListViewBase::EnsureVisible(int row) const {
  if (HWND h = Handle()) SendMessageW(h, LVM_ENSUREVISIBLE, row, FALSE);
}

int ListViewBase::ColumnCount() const {
  HWND h = Handle();
  if (!h) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string ListViewBase::ColumnCaption(int column) const {
  HWND h = Handle();
  if (!h) return {};
  wchar_t buf[256] = {};
  LVCOLUMNW col = {};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 256;
  if (!SendMessageW(h, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col))) return {};
  return enc::Narrow(buf);
}

int ListViewBase::ColumnWidth(int column) const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, column, 0)) : 0;
}
