// Routing the messages of a form: commands and notifications of its controls become
// events of the event table; timers tick; hot keys are pressed; the form paints its
// labels and goes away.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "text/encoding.h"
#include "win/dpi.h"
#include "win/form.h"
#include "win/window_layer.h"
#include "win/program.h"

namespace ui_internal {
namespace {

constexpr int kProgramIcon = 1;  // the icon resource of the program file
const wchar_t kFormClass[] = L"RavoForm";

// What a file list's event knows: the selected entry, by index and as a full path.
UiEventData ChosenFile(const Form& f, int index, HWND box) {
  UiEventData chosen;
  chosen.row = static_cast<int>(SendMessageW(box, LB_GETCURSEL, 0, 0));
  if (const FileList* list = f.fileLists[index].get()) chosen.text = list->Folder() + "\\" + list->SelectedEntry();
  return chosen;
}

void OnCommand(Form& f, WPARAM wp, LPARAM lp) {
  const UINT code = HIWORD(wp);
  const int index = static_cast<int>(LOWORD(wp)) - static_cast<int>(kControlIdBase);
  if (index < 0 || index >= f.layout.controlCount) return;
  const LayoutRow& c = f.layout.controls[index];
  if (lp == 0) {
    if (c.kind == ControlKind::MenuItem) f.Raise(index, UiEvent::Chosen);
    return;
  }
  switch (c.kind) {
    case ControlKind::Button:
    case ControlKind::ImageButton:
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) f.Raise(index, UiEvent::Clicked);
      break;
    case ControlKind::FileList:
      if (f.quietListChanges || (code != LBN_SELCHANGE && code != LBN_DBLCLK)) break;
      f.Raise(index, code == LBN_SELCHANGE ? UiEvent::SelectionChanged : UiEvent::DoubleClicked,
              ChosenFile(f, index, reinterpret_cast<HWND>(lp)));
      break;
    case ControlKind::Hyperlink:
      if (code == STN_CLICKED && c.target) ui::OpenWebAddress(c.target);
      break;
    default:
      break;
  }
}

// A virtual list view asks for a cell's text (and item data): the ANSI or the Unicode
// form of the request, depending on what its parent answered to WM_NOTIFYFORMAT.
void GiveVirtualCell(const RowSource& source, const NMHDR* nm) {
  auto* di = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(nm));
  LVITEMA& item = di->item;  // LVITEMW has the same layout up to the text's type
  if (!source.cell || item.iItem < 0) return;
  if (item.mask & LVIF_PARAM) item.lParam = source.Data(item.iItem);
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const std::string text =
      source.Cell(item.iItem, item.iSubItem, std::min(kMaxCellUnits, static_cast<size_t>(item.cchTextMax - 1)));
  if (nm->code == LVN_GETDISPINFOA) {  // an ANSI caller gets the system code page's bytes
    lstrcpynA(item.pszText, enc::EncodeCodePage(text, enc::kSystem).c_str(), item.cchTextMax);
    return;
  }
  lstrcpynW(reinterpret_cast<wchar_t*>(item.pszText), enc::Wide(text).c_str(), item.cchTextMax);
}

LRESULT OnNotify(Form& f, const NMHDR* nm) {
  const int index = f.IndexOf(nm->hwndFrom);
  if (index < 0) return 0;
  const LayoutRow& c = f.layout.controls[index];
  if (c.kind == ControlKind::CheckBox && nm->code == NM_CUSTOMDRAW &&
      (GetWindowLongW(nm->hwndFrom, GWL_STYLE) & BS_MULTILINE))
    return DrawWrappedCheckBox(*reinterpret_cast<const NMCUSTOMDRAW*>(nm));
  if (c.kind == ControlKind::TabControl && nm->code == TCN_SELCHANGE) {
    CompleteForm(f);
    UiEventData turned;
    turned.row = static_cast<int>(SendMessageW(nm->hwndFrom, TCM_GETCURSEL, 0, 0));
    f.ShowPage(index, turned.row);
    f.Raise(index, UiEvent::PageChanged, turned);
  } else if (c.kind == ControlKind::VirtualListView &&
             (nm->code == LVN_GETDISPINFOA || nm->code == LVN_GETDISPINFOW)) {
    GiveVirtualCell(f.rowSources[index], nm);
  } else if ((c.kind == ControlKind::ListView || c.kind == ControlKind::VirtualListView) && !f.quietListChanges) {
    UiEventData rowEvent;
    if (nm->code == NM_DBLCLK) {
      // The first click selected the row double-clicked; a click beside the rows selects none.
      rowEvent.row = static_cast<int>(SendMessageW(nm->hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
      f.Raise(index, UiEvent::DoubleClicked, rowEvent);
    } else if (nm->code == LVN_ITEMCHANGED) {
      auto* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
      if ((lv->uChanged & LVIF_STATE) && (lv->uNewState & LVIS_FOCUSED) && !(lv->uOldState & LVIS_FOCUSED)) {
        rowEvent.row = lv->iItem;
        f.Raise(index, UiEvent::FocusedRowChanged, rowEvent);
      }
    }
  }
  return 0;
}

// Whether a control lies on a tab page: inside the tab control, or a group box there.
bool OnATabPage(const Form& f, HWND control) {
  for (HWND w = GetParent(control); w && w != f.hwnd; w = GetParent(w)) {
    const int index = f.IndexOf(w);
    if (index >= 0 && f.layout.controls[index].kind == ControlKind::TabControl) return true;
  }
  return false;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // The form comes with the creation parameters; from here on the window owns it.
    auto* holder = static_cast<std::unique_ptr<Form>*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    Form* created = holder->release();
    created->hwnd = hwnd;
    FormCreated(created);
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  Form* f = FormOfWindow(hwnd);
  if (!f || f->hwnd != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND:
      OnCommand(*f, wp, lp);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*f, reinterpret_cast<const NMHDR*>(lp));
    case WM_TIMER: {
      const int index = static_cast<int>(wp) - static_cast<int>(kControlIdBase);
      if (index >= 0 && index < f->layout.controlCount) f->Raise(index, UiEvent::TimerTick);
      return 0;
    }
    case WM_HOTKEY: {
      const int index = static_cast<int>(wp) - static_cast<int>(kControlIdBase);
      if (index >= 0 && index < f->layout.controlCount) f->Raise(index, UiEvent::Pressed);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        f->lastFocus = f->ControlHolding(GetFocus()) >= 0 ? GetFocus() : nullptr;
        break;
      }
      f->Raise(kWindowItself, UiEvent::Activated);
      // Back to the control the user left, as a dialog box does.
      if (f->lastFocus && IsWindow(f->lastFocus) && f->hwnd && IsChild(f->hwnd, f->lastFocus)) {
        SetFocus(f->lastFocus);
        return 0;
      }
      break;
    case WM_RAVO_BUILD:
      CompleteForm(*f);
      return 0;
    case WM_DPICHANGED: {
      // Onto a monitor of another DPI: the rectangle the system suggests keeps the
      // window's place under the pointer; the controls follow the new scale.
      const int oldDpi = f->dpi;
      f->dpi = LOWORD(wp);
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      SetFormIcons(*f);
      RescaleForm(*f, oldDpi);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      const int index = f->IndexOf(reinterpret_cast<HWND>(lp));
      if (index >= 0) {
        const ControlKind kind = f->layout.controls[index].kind;
        HDC dc = reinterpret_cast<HDC>(wp);
        if (kind == ControlKind::Hyperlink) SetTextColor(dc, RGB(0, 0, 238));
        if (kind == ControlKind::TransparentLabel || kind == ControlKind::Hyperlink ||
            kind == ControlKind::Label || kind == ControlKind::CheckBox) {
          SetBkMode(dc, TRANSPARENT);
          // On the tab pages the page shows through; elsewhere (on the window, in a
          // group box on it) the window's colour is painted, so that a changed caption
          // leaves nothing of the old one behind and a repainted one (a check box's, as
          // its focus or check changes) is not drawn over itself.
          if (OnATabPage(*f, reinterpret_cast<HWND>(lp))) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
      }
      break;
    }
    case WM_RAVO_DESTROY:
      DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY: {
      f->Raise(kWindowItself, UiEvent::Destroyed);
      for (size_t i = 0; i < f->timerPeriods.size(); ++i)
        if (f->timerPeriods[i] > 0) KillTimer(hwnd, kControlIdBase + i);
      LetGoOfHotKeys(*f);
      if (f->toolTips) DestroyWindow(f->toolTips);
      break;
    }
    case WM_NCDESTROY: {
      FormDestroyed(f);
      delete f;
      return DefWindowProcW(hwnd, msg, wp, lp);
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

const wchar_t* FormClass() { return kFormClass; }

void SetFormIcons(const Form& f) {
  // The program's own icon, in the sizes of the title bar and the task switcher at the
  // window's DPI.
  for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = dpi::SystemMetric(metric, f.dpi);
    if (HANDLE icon = LoadImageW(Instance(), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, size, size, LR_SHARED))
      SendMessageW(f.hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

void EnsureFormClass() {
  static bool done = false;
  if (done) return;
  done = true;
  EnsureControlClasses();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FormProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);  // until the form sets its own
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
}

}  // namespace ui_internal
