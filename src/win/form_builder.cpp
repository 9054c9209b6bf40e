// Building a form from its layout rows: each row becomes a child window, a timer, a menu,
// a hot key or nothing (a common dialog). Containers exist before what they hold. The rows
// the window shows when it appears are made first; the rest after its first paint.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "text/encoding.h"
#include "win/dpi.h"
#include "win/drawing_board.h"
#include "win/form.h"
#include "win/owners.h"
#include "win/web_page.h"

namespace ui_internal {
namespace {

constexpr UINT_PTR kContainerSubclass = 1;

// Group boxes and the tab control hold controls of their own: their notifications
// are passed on to the form window, where the event table is consulted.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
      if (lp) {
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top) return SendMessageW(top, msg, wp, lp);
      }
      break;
    case WM_LBUTTONDOWN:
      RaiseControlEvent(hwnd, UiEvent::LeftButtonDown);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ContainerProc, kContainerSubclass);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void MakeContainer(HWND hwnd) { SetWindowSubclass(hwnd, ContainerProc, kContainerSubclass, 0); }

void AddListColumns(HWND lv, const LayoutRow& c, int dpi) {
  for (int i = 0; i < c.columnCount; ++i) {
    std::wstring caption = enc::Wide(c.columns[i].caption);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = caption.data();
    col.cx = dpi::Scale(c.columns[i].width, dpi);
    col.iSubItem = i;
    SendMessageW(lv, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
}

void AddTabPages(HWND tab, const char* captions) {
  std::string all(captions);
  size_t start = 0;
  for (int page = 0; start <= all.size(); ++page) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::wstring caption = enc::Wide(all.substr(start, end - start));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
    start = end + 1;
  }
}

// The window class and styles of each kind of control that is a child window.
struct ChildClass {
  ControlKind kind;
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
  bool captionless;  // the row's text is no caption (tab pages, a file pattern)
};

const ChildClass kChildClasses[] = {
    {ControlKind::GroupBox, L"BUTTON", BS_GROUPBOX, 0, false},
    {ControlKind::DrawingBoard, DrawingBoard::kClassName, 0, 0, false},
    {ControlKind::Label, L"STATIC", SS_LEFT | SS_NOTIFY, 0, false},
    {ControlKind::TransparentLabel, L"STATIC", SS_LEFT | SS_NOTIFY, WS_EX_TRANSPARENT, false},
    {ControlKind::Hyperlink, L"STATIC", SS_LEFT | SS_NOTIFY, 0, false},
    {ControlKind::PictureBox, L"STATIC", SS_ETCHEDFRAME, 0, false},
    {ControlKind::CheckBox, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, false},
    {ControlKind::Edit, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, false},
    {ControlKind::Button, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, false},
    {ControlKind::ImageButton, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, false},
    {ControlKind::TabControl, WC_TABCONTROLW, 0, 0, true},
    {ControlKind::FileList, L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
     true},
    {ControlKind::ListView, WC_LISTVIEWW, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
     WS_EX_CLIENTEDGE, false},
    {ControlKind::VirtualListView, WC_LISTVIEWW,
     LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | LVS_OWNERDATA, WS_EX_CLIENTEDGE, false},
    {ControlKind::ProgressBar, PROGRESS_CLASSW, 0, 0, false},
};

const ChildClass* ChildClassOf(ControlKind kind) {
  for (const ChildClass& k : kChildClasses)
    if (k.kind == kind) return &k;
  return nullptr;
}

// The rows that are no child window: timers, hot keys, menus, the browser, common dialogs.
// Returns whether the row was one of them.
bool CreateWindowlessRow(Form& f, int index) {
  const LayoutRow& c = f.layout.controls[index];
  const UINT id = kControlIdBase + index;
  switch (c.kind) {
    case ControlKind::Timer:
      f.timerPeriods[index] = 0;
      Timer(f.kind, index).SetTimerPeriod(c.timerMs);
      return true;
    case ControlKind::CommonDialog:
      return true;
    case ControlKind::HotKey:
      HoldHotKey(f, index);
      return true;
    case ControlKind::Menu:
      if (!f.menuBar) {
        f.menuBar = CreateMenu();
        SetMenu(f.hwnd, f.menuBar);
      }
      if (f.menus.empty()) f.menus.assign(f.controls.size(), nullptr);
      f.menus[index] = CreatePopupMenu();
      AppendMenuW(f.menuBar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(f.menus[index]), enc::Wide(c.text).c_str());
      DrawMenuBar(f.hwnd);
      return true;
    case ControlKind::MenuItem:
      AppendMenuW(f.menus[c.parent], MF_STRING, id, enc::Wide(c.text).c_str());
      return true;
    case ControlKind::WebBrowser:
      {
        const RECT rc = dpi::ScaleRect(c.x, c.y, c.w, c.h, f.dpi);
        f.controls[index] = CreateWebPage(c.parent == kNoParent ? f.hwnd : f.controls[c.parent], rc.left, rc.top,
                                          rc.right - rc.left, rc.bottom - rc.top, id, c.text);
      }
      return true;
    default:
      return false;
  }
}

// Whether the row lies on a tab page other than the one its tab control shows.
bool OnHiddenPage(const Form& f, int index) {
  const LayoutRow& c = f.layout.controls[index];
  if (c.page <= 0 || c.parent == kNoParent) return false;
  HWND tab = f.controls[c.parent];
  const LRESULT shown = tab ? SendMessageW(tab, TCM_GETCURSEL, 0, 0) : 0;
  return c.page - 1 != shown;
}

// Whether the user sees the row's control as soon as the window appears: not on a hidden
// tab page or inside a control that is, not outside the window, and no web browser (which
// takes longer to make than the whole window), and no hot key (held a moment later). The
// other rows without a window (timers, menus) are needed at once.
bool ShownAtFirst(const Form& f, int index, bool withPages) {
  const ControlKind kind = f.layout.controls[index].kind;
  if (kind == ControlKind::WebBrowser || kind == ControlKind::HotKey) return false;
  int top = index;
  for (int i = index; i != kNoParent; i = f.layout.controls[i].parent) {
    if (f.layout.controls[i].page > 0 && (!withPages || OnHiddenPage(f, i))) return false;
    top = i;
  }
  const LayoutRow& t = f.layout.controls[top];
  return t.x < f.layout.w && t.y < f.layout.h;
}

// The stacking order of the made controls: as making every row in order leaves it (each
// new child window goes below its siblings), then group boxes below their siblings, so
// that a control lying inside a group box's rectangle without being its child is not
// hidden by it, and a label above an earlier label it overlaps, whose caption has ended
// where the later one's starts.
void StackControls(Form& f) {
  constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  const WindowLayout& layout = f.layout;
  for (int i = 0; i < layout.controlCount; ++i)
    if (f.controls[i]) SetWindowPos(f.controls[i], HWND_BOTTOM, 0, 0, 0, 0, kKeep);
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::GroupBox && f.controls[i])
      SetWindowPos(f.controls[i], HWND_BOTTOM, 0, 0, 0, 0, kKeep);
  for (int i = 0; i < layout.controlCount; ++i) {
    if (layout.controls[i].kind != ControlKind::Label || !f.controls[i]) continue;
    for (int j = 0; j < i; ++j) {
      const LayoutRow &a = layout.controls[j], &b = layout.controls[i];
      const bool overlap = a.kind == ControlKind::Label && a.parent == b.parent && a.page == b.page &&
                           a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
      if (overlap) SetWindowPos(f.controls[i], HWND_TOP, 0, 0, 0, 0, kKeep);
    }
  }
}

// A tab's padding around its caption, at the form's DPI.
void SetTabPadding(HWND tab, int dpi) {
  SendMessageW(tab, TCM_SETPADDING, 0, MAKELPARAM(dpi::Scale(3, dpi), dpi::Scale(3, dpi)));
}

// The font a control's row is shown in at a DPI.
HFONT FontOf(HWND control, int dpi) {
  const bool twoLines = GetWindowLongW(control, GWL_STYLE) & BS_MULTILINE;
  return twoLines ? TwoLineFont(dpi) : UiFont(dpi);
}

// What a child window needs once it exists.
void SetUpChild(Form& f, int index, HWND h) {
  const LayoutRow& c = f.layout.controls[index];
  switch (c.kind) {
    case ControlKind::GroupBox:
      MakeContainer(h);
      break;
    case ControlKind::TabControl:
      SetTabPadding(h, f.dpi);
      AddTabPages(h, c.text);
      MakeContainer(h);
      break;
    case ControlKind::ListView:
    case ControlKind::VirtualListView:
      SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
      AddListColumns(h, c, f.dpi);
      break;
    case ControlKind::DrawingBoard:
      if (auto* board = reinterpret_cast<DrawingBoard*>(GetWindowLongPtrW(h, GWLP_USERDATA))) board->SetDpi(f.dpi);
      break;
    case ControlKind::FileList:
      f.fileLists[index] = std::make_unique<FileList>(h, c.text);
      f.fileLists[index]->SetFolder("");
      break;
    case ControlKind::ProgressBar:
      SendMessageW(h, PBM_SETRANGE32, 0, 100);
      break;
    default:
      break;
  }
}

}  // namespace

void EnsureControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                               ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  DrawingBoard::Register(Instance());
}

void CreateControl(Form& f, int index) {
  if (CreateWindowlessRow(f, index)) return;
  const LayoutRow& c = f.layout.controls[index];
  const ChildClass* k = ChildClassOf(c.kind);
  if (!k) return;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | k->style;
  if (OnHiddenPage(f, index)) style &= ~WS_VISIBLE;
  if (c.kind == ControlKind::CheckBox && CaptionWraps(c, f.dpi)) style |= BS_MULTILINE;
  HWND parent = c.parent == kNoParent ? f.hwnd : f.controls[c.parent];
  const RECT rc = dpi::ScaleRect(c.x, c.y, c.w, c.h, f.dpi);
  HWND h = CreateWindowExW(k->exStyle, k->cls, enc::Wide(k->captionless ? "" : c.text).c_str(), style, rc.left,
                           rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kControlIdBase + index)), Instance(),
                           nullptr);
  f.controls[index] = h;
  if (!h) return;
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(h, f.dpi)), FALSE);
  SetUpChild(f, index, h);
}

void RescaleForm(Form& f, int oldDpi) {
  for (int i = 0; i < f.layout.controlCount; ++i) {
    HWND h = f.controls[i];
    if (!h) continue;
    const LayoutRow& c = f.layout.controls[i];
    const RECT rc = dpi::ScaleRect(c.x, c.y, c.w, c.h, f.dpi);
    SetWindowPos(h, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (c.kind == ControlKind::CheckBox) {
      // Whether the caption wraps may differ at the new scale.
      LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(BS_MULTILINE);
      if (CaptionWraps(c, f.dpi)) style |= BS_MULTILINE;
      SetWindowLongPtrW(h, GWL_STYLE, style);
    }
    if (c.kind != ControlKind::WebBrowser) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(h, f.dpi)), TRUE);
    switch (c.kind) {
      case ControlKind::TabControl:
        SetTabPadding(h, f.dpi);
        break;
      case ControlKind::ListView:
      case ControlKind::VirtualListView:
        // Widths the user may have dragged: each keeps its share.
        for (int col = 0; col < c.columnCount; ++col) {
          const int width = static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, col, 0));
          SendMessageW(h, LVM_SETCOLUMNWIDTH, col, MulDiv(width, f.dpi, oldDpi));
        }
        break;
      case ControlKind::DrawingBoard:
        if (auto* board = reinterpret_cast<DrawingBoard*>(GetWindowLongPtrW(h, GWLP_USERDATA))) board->SetDpi(f.dpi);
        break;
      default:
        break;
    }
  }
  if (f.toolTips) SendMessageW(f.toolTips, TTM_SETMAXTIPWIDTH, 0, dpi::Scale(kToolTipWidth, f.dpi));
  RedrawWindow(f.hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

void MakeRow(Form& f, int index) {
  if (f.made[index]) return;
  f.made[index] = true;
  const int parent = f.layout.controls[index].parent;
  if (parent != kNoParent) MakeRow(f, parent);
  CreateControl(f, index);
}

void BuildShownRows(Form& f, bool withPages) {
  for (int i = 0; i < f.layout.controlCount; ++i)
    if (!f.made[i] && ShownAtFirst(f, i, withPages)) MakeRow(f, i);
  StackControls(f);
}

void CompleteForm(Form& f) {
  if (f.built || !f.hwnd) return;
  f.built = true;
  for (int i = 0; i < f.layout.controlCount; ++i) MakeRow(f, i);
  StackControls(f);
}

}  // namespace ui_internal
