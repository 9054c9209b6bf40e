#include "app/window_layer.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "app/drawing_board.h"
#include "app/file_list.h"
#include "app/win_owners.h"
#include "app/window_layer_internal.h"
#include "text/gbk_text.h"
#include "text/process_paths_win.h"
#include "text/wait_with_messages.h"

namespace {

constexpr UINT kControlIdBase = 1000;
constexpr UINT WM_RAVO_DESTROY = WM_APP + 1;
constexpr UINT WM_RAVO_KEY = WM_APP + 2;  // a navigation key: wParam the key, lParam the modifiers below
constexpr LPARAM kShiftDown = 1;
constexpr LPARAM kCtrlDown = 2;
constexpr int kProgramIcon = 1;  // the icon resource of the program file
const char kFormClass[] = "RavoForm";
const char kFormProp[] = "RavoForm";

const WindowSpec& SpecOf(WindowKind kind) {
  switch (kind) {
    case WindowKind::Main: return kMainWindowSpec;
    case WindowKind::Update: return kUpdateWindowSpec;
    case WindowKind::Picker: break;
  }
  return kPickerWindowSpec;
}

}  // namespace

// A loaded window: its handle and the state of its controls.
class Form {
 public:
  Form(WindowKind kind) : kind(kind), layout(SpecOf(kind)) {
    const size_t n = static_cast<size_t>(layout.controlCount);
    controls.assign(n, nullptr);
    timerPeriods.assign(n, 0);
    fileLists.resize(n);
    rowSources.assign(n, nullptr);
  }

  WindowKind kind;
  const WindowSpec& layout;
  HWND hwnd = nullptr;
  HMENU menuBar = nullptr;
  std::vector<HWND> controls;
  std::vector<HMENU> menus;  // by control index, for Menu rows
  std::vector<int> timerPeriods;
  std::vector<std::unique_ptr<FileList>> fileLists;
  std::vector<const RowSource*> rowSources;  // virtual list views: what they show
  bool quietListChanges = false;  // programmatic selection raises no list events
  HWND lastFocus = nullptr;       // the control that had the focus when the window was left

  void Raise(int control, UiEvent event) {
    if (Handler h = FindHandler(kind, control, event)) h();
  }
  int IndexOf(HWND child) const {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i] == child) return static_cast<int>(i);
    return -1;
  }
  // The control that is or holds the window (a list view's header, say); -1: none.
  int ControlHolding(HWND window) const {
    for (HWND w = window; w && w != hwnd; w = GetParent(w))
      if (const int i = IndexOf(w); i >= 0) return i;
    return -1;
  }
  void ShowPage(int tabIndex, int page0) {
    for (int i = 0; i < layout.controlCount; ++i) {
      const ControlSpec& c = layout.controls[i];
      if (c.parent == tabIndex && c.page > 0 && controls[i])
        ShowWindow(controls[i], c.page - 1 == page0 ? SW_SHOW : SW_HIDE);
    }
  }
};

namespace {

std::array<Form*, kWindowKinds> g_forms{};
int g_topLevelWindows = 0;  // main and update windows alive; the loop ends at 0

Form* FormOf(WindowKind kind) { return g_forms[static_cast<int>(kind)]; }

Form* FormOfWindow(HWND hwnd) {
  // Controls carry the form's pointer as a property of their top-level window.
  HWND top = hwnd;
  while (top && (GetWindowLongA(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
  return top ? static_cast<Form*>(GetPropA(top, kFormProp)) : nullptr;
}

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

void EnsureClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                               ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  DrawingBoard::Register(Instance());
}

// Group boxes and the tab control hold controls of their own: their notifications
// are passed on to the form window, where the event table is consulted.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(hwnd, "RavoOldProc"));
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
        if (top) return SendMessageA(top, msg, wp, lp);
      }
      break;
    case WM_LBUTTONDOWN:
      ui_internal::RaiseControlEvent(hwnd, UiEvent::LeftButtonDown);
      break;
    case WM_NCDESTROY:
      RemovePropA(hwnd, "RavoOldProc");
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      break;
  }
  return CallWindowProcA(old, hwnd, msg, wp, lp);
}

void MakeContainer(HWND hwnd) {
  SetPropA(hwnd, "RavoOldProc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)));
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ContainerProc));
}

// The embedded browser: the system's web browser control, hosted through ATL. Where
// the machine has no browser engine the control stays blank or is not created.
HWND CreateBrowser(HWND parent, const ControlSpec& c, UINT id) {
  static UniqueModule atl(LoadLibraryA("atl.dll"));
  static bool ready = [] {
    if (!atl.Get()) return false;
    using InitFn = BOOL(WINAPI*)();
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(atl.Get(), "AtlAxWinInit")));
    return init && init();
  }();
  if (!ready) return nullptr;
  return CreateWindowExA(0, "AtlAxWin", c.text, WS_CHILD | WS_VISIBLE, c.x, c.y, c.w, c.h, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Instance(), nullptr);
}

void AddListColumns(HWND lv, const ControlSpec& c) {
  for (int i = 0; i < c.columnCount; ++i) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(c.columns[i].caption);
    col.cx = c.columns[i].width;
    col.iSubItem = i;
    SendMessageA(lv, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
}

void AddTabPages(HWND tab, const char* captions) {
  std::string all(captions);
  size_t start = 0;
  for (int page = 0; start <= all.size(); ++page) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string caption = all.substr(start, end - start);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tab, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&item));
    start = end + 1;
  }
}

// The width of a caption in a font, in pixels.
int TextWidth(HFONT font, const char* text) {
  ScopedWindowDC dc(nullptr, ScopedWindowDC::Client);
  ScopedSelectObject select(dc.Get(), font);
  SIZE size = {};
  GetTextExtentPoint32A(dc.Get(), text, static_cast<int>(strlen(text)), &size);
  return size.cx;
}

// Where a check box's caption starts: right of the box and a gap.
int CheckBoxTextIndent() { return GetSystemMetrics(SM_CXMENUCHECK) + 6; }

// A check box's caption too wide for one line of its rectangle wraps onto a second line.
bool CaptionWraps(const ControlSpec& c) {
  return TextWidth(ui_internal::UiFont(), c.text) > c.w - CheckBoxTextIndent();
}

// A visual style may draw a check box's caption in a font of its own, whose lines do not
// fit two into the row the layout gives; such a check box is drawn here instead: the
// style's box, and the caption in the control's own font, its lines balanced
// ("字幕完毕后" over "恢复马甲").
LRESULT DrawWrappedCheckBox(const NMCUSTOMDRAW& cd) {
  HWND h = cd.hdr.hwndFrom;
  HTHEME theme = GetWindowTheme(h);
  if (cd.dwDrawStage != CDDS_PREPAINT || !theme) return CDRF_DODEFAULT;
  const bool checked = SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
  const int state = (checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL) +
                    (!IsWindowEnabled(h)                ? 3
                     : (cd.uItemState & CDIS_SELECTED) ? 2
                     : (cd.uItemState & CDIS_HOT)      ? 1
                                                       : 0);
  SIZE boxSize = {13, 13};
  GetThemePartSize(theme, cd.hdc, BP_CHECKBOX, state, nullptr, TS_DRAW, &boxSize);
  RECT boxRect = {cd.rc.left, 0, cd.rc.left + boxSize.cx, boxSize.cy};
  OffsetRect(&boxRect, 0, cd.rc.top + (cd.rc.bottom - cd.rc.top - boxSize.cy) / 2);
  RECT whole = cd.rc;
  DrawThemeParentBackground(h, cd.hdc, &whole);
  DrawThemeBackground(theme, cd.hdc, BP_CHECKBOX, state, &boxRect, nullptr);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(h)) + 1, '\0');
  text.resize(static_cast<size_t>(std::max(0, GetWindowTextA(h, text.data(), static_cast<int>(text.size())))));
  ScopedSelectObject font(cd.hdc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
  TEXTMETRICA tm = {};
  GetTextMetricsA(cd.hdc, &tm);
  RECT area = cd.rc;
  area.left += CheckBoxTextIndent();
  auto measure = [&](int width) {
    RECT r = {0, 0, width, 0};
    DrawTextA(cd.hdc, text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_CALCRECT);
    return r;
  };
  const int lines = std::max<int>(1, (measure(area.right - area.left).bottom + tm.tmHeight - 1) / tm.tmHeight);
  int width = (measure(0x7fff).right + lines - 1) / lines;
  while (width < area.right - area.left && measure(width).bottom > lines * tm.tmHeight) ++width;
  RECT box = measure(width);
  OffsetRect(&box, area.left, area.top + (area.bottom - area.top - box.bottom) / 2);
  SetBkMode(cd.hdc, TRANSPARENT);
  SetTextColor(cd.hdc, GetSysColor(IsWindowEnabled(h) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextA(cd.hdc, text.c_str(), static_cast<int>(text.size()), &box, DT_WORDBREAK);
  if (cd.uItemState & CDIS_FOCUS) DrawFocusRect(cd.hdc, &box);
  return CDRF_SKIPDEFAULT;
}

void CreateControl(Form& f, int index) {
  const ControlSpec& c = f.layout.controls[index];
  const UINT id = kControlIdBase + index;
  HWND parent = c.parent == kNoParent ? f.hwnd : f.controls[c.parent];
  const char* cls = nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const char* text = c.text;
  switch (c.kind) {
    case ControlKind::Timer:
      f.timerPeriods[index] = 0;
      Control(f.kind, index).SetTimerPeriod(c.timerMs);
      return;
    case ControlKind::CommonDialog:
      return;
    case ControlKind::Menu: {
      if (!f.menuBar) {
        f.menuBar = CreateMenu();
        SetMenu(f.hwnd, f.menuBar);
      }
      if (f.menus.empty()) f.menus.assign(f.controls.size(), nullptr);
      f.menus[index] = CreatePopupMenu();
      AppendMenuA(f.menuBar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(f.menus[index]), c.text);
      DrawMenuBar(f.hwnd);
      return;
    }
    case ControlKind::MenuItem:
      AppendMenuA(f.menus[c.parent], MF_STRING, id, c.text);
      return;
    case ControlKind::WebBrowser:
      f.controls[index] = CreateBrowser(parent, c, id);
      return;
    case ControlKind::GroupBox:
      cls = "BUTTON";
      style |= BS_GROUPBOX;
      break;
    case ControlKind::DrawingBoard:
      cls = DrawingBoard::ClassName();
      break;
    case ControlKind::Label:
      cls = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case ControlKind::TransparentLabel:
      cls = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      exStyle |= WS_EX_TRANSPARENT;
      break;
    case ControlKind::Hyperlink:
      cls = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case ControlKind::PictureBox:
      cls = "STATIC";
      style |= SS_ETCHEDFRAME;
      break;
    case ControlKind::CheckBox:
      cls = "BUTTON";
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      if (CaptionWraps(c)) style |= BS_MULTILINE;
      break;
    case ControlKind::Edit:
      cls = "EDIT";
      style |= ES_AUTOHSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
    case ControlKind::ImageButton:
      cls = "BUTTON";
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::TabControl:
      cls = WC_TABCONTROLA;
      text = "";
      break;
    case ControlKind::FileList:
      cls = "LISTBOX";
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      text = "";
      break;
    case ControlKind::ListView:
    case ControlKind::VirtualListView:
      cls = WC_LISTVIEWA;
      style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP;
      if (c.kind == ControlKind::VirtualListView) style |= LVS_OWNERDATA;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::ProgressBar:
      cls = PROGRESS_CLASSA;
      break;
  }
  HWND h = CreateWindowExA(exStyle, cls, text, style, c.x, c.y, c.w, c.h, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), Instance(), nullptr);
  f.controls[index] = h;
  if (!h) return;
  const bool twoLines = c.kind == ControlKind::CheckBox && (style & BS_MULTILINE);
  const HFONT font = twoLines ? ui_internal::TwoLineFont() : ui_internal::UiFont();
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  switch (c.kind) {
    case ControlKind::GroupBox:
      MakeContainer(h);
      break;
    case ControlKind::TabControl:
      SendMessageA(h, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
      AddTabPages(h, c.text);
      MakeContainer(h);
      break;
    case ControlKind::ListView:
    case ControlKind::VirtualListView:
      SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
      AddListColumns(h, c);
      break;
    case ControlKind::FileList:
      f.fileLists[index] = std::make_unique<FileList>(h, c.text);
      f.fileLists[index]->SetFolder("");
      break;
    case ControlKind::ProgressBar:
      SendMessageA(h, PBM_SETRANGE32, 0, 100);
      break;
    default:
      break;
  }
}

void OnCommand(Form& f, WPARAM wp, LPARAM lp) {
  const UINT code = HIWORD(wp);
  const int index = static_cast<int>(LOWORD(wp)) - static_cast<int>(kControlIdBase);
  if (index < 0 || index >= f.layout.controlCount) return;
  const ControlSpec& c = f.layout.controls[index];
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
      if (f.quietListChanges) break;
      if (code == LBN_SELCHANGE) f.Raise(index, UiEvent::SelectionChanged);
      if (code == LBN_DBLCLK) f.Raise(index, UiEvent::DoubleClicked);
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
void GiveVirtualCell(const RowSource* source, const NMHDR* nm) {
  auto* di = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(nm));
  LVITEMA& item = di->item;  // LVITEMW has the same layout up to the text's type
  if (!source || item.iItem < 0) return;
  if (item.mask & LVIF_PARAM) item.lParam = source->data(item.iItem);
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const std::string text = source->cell(item.iItem, item.iSubItem);
  if (nm->code == LVN_GETDISPINFOA) {
    lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
    return;
  }
  auto* wide = reinterpret_cast<wchar_t*>(item.pszText);
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide,
                                    item.cchTextMax - 1);
  wide[std::clamp(n, 0, item.cchTextMax - 1)] = L'\0';
}

LRESULT OnNotify(Form& f, const NMHDR* nm) {
  const int index = f.IndexOf(nm->hwndFrom);
  if (index < 0) return 0;
  const ControlSpec& c = f.layout.controls[index];
  if (c.kind == ControlKind::CheckBox && nm->code == NM_CUSTOMDRAW &&
      (GetWindowLongA(nm->hwndFrom, GWL_STYLE) & BS_MULTILINE))
    return DrawWrappedCheckBox(*reinterpret_cast<const NMCUSTOMDRAW*>(nm));
  if (c.kind == ControlKind::TabControl && nm->code == TCN_SELCHANGE) {
    f.ShowPage(index, static_cast<int>(SendMessageA(nm->hwndFrom, TCM_GETCURSEL, 0, 0)));
    f.Raise(index, UiEvent::PageChanged);
  } else if (c.kind == ControlKind::VirtualListView &&
             (nm->code == LVN_GETDISPINFOA || nm->code == LVN_GETDISPINFOW)) {
    GiveVirtualCell(f.rowSources[index], nm);
  } else if ((c.kind == ControlKind::ListView || c.kind == ControlKind::VirtualListView) && !f.quietListChanges) {
    if (nm->code == NM_DBLCLK) {
      f.Raise(index, UiEvent::DoubleClicked);
    } else if (nm->code == LVN_ITEMCHANGED) {
      auto* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
      if ((lv->uChanged & LVIF_STATE) && (lv->uNewState & LVIS_FOCUSED) && !(lv->uOldState & LVIS_FOCUSED))
        f.Raise(index, UiEvent::FocusedRowChanged);
    } else if (nm->code == NM_CLICK || nm->code == NM_RCLICK) {
      f.Raise(index, UiEvent::OtherListEvent);
    }
  }
  return 0;
}

// ---- the keyboard, as in a dialog box ----
//
// Tab and Shift+Tab move the focus through the controls the user can see, in layout
// order; Ctrl+Tab and Ctrl+Shift+Tab change the tab page; Enter presses a focused
// button, or raises EnterPressed in an edit box bound to it. (Space presses buttons by
// itself.) A message hook takes these keys out of whichever loop reads the queue (the
// message loop, a modal window's, the waits that dispatch messages) and posts them to
// the form, so that what they start runs as an ordinary message of the window.

bool TakesFocus(const Form& f, int index) {
  HWND h = f.controls[index];
  if (!h || !(GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) || !IsWindowEnabled(h)) return false;
  for (HWND w = h; w && w != f.hwnd; w = GetParent(w))
    if (!(GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE)) return false;  // on another tab page
  // Controls that only store values lie outside the client area.
  RECT rc, client, both;
  GetWindowRect(h, &rc);
  GetClientRect(f.hwnd, &client);
  MapWindowPoints(f.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return IntersectRect(&both, &rc, &client) != FALSE;
}

// Moves the focus to the next control after `from` in layout order (-1: from the start),
// or the previous one; returns whether a control took it.
bool MoveFocus(Form& f, int from, bool backwards) {
  const int n = f.layout.controlCount;
  if (from < 0) from = backwards ? n : -1;
  for (int step = 1; step <= n; ++step) {
    const int i = ((from + (backwards ? -step : step)) % n + n) % n;
    if (!TakesFocus(f, i)) continue;
    SetFocus(f.controls[i]);
    if (f.layout.controls[i].kind == ControlKind::Edit) SendMessageA(f.controls[i], EM_SETSEL, 0, -1);
    return true;
  }
  return false;
}

void TurnPage(Form& f, bool backwards) {
  for (int t = 0; t < f.layout.controlCount; ++t) {
    if (f.layout.controls[t].kind != ControlKind::TabControl || !f.controls[t]) continue;
    const Control tab(f.kind, t);
    const int pages = static_cast<int>(SendMessageA(f.controls[t], TCM_GETITEMCOUNT, 0, 0));
    if (pages < 2) return;
    tab.SetCurrentPage((tab.CurrentPage() + (backwards ? pages - 1 : 1)) % pages);
    f.Raise(t, UiEvent::PageChanged);
    // The focus goes to the new page unless it rests on a control still shown.
    const int focused = f.ControlHolding(GetFocus());
    if (focused < 0 || !TakesFocus(f, focused)) MoveFocus(f, t, false);
    return;
  }
}

bool IsPushButton(ControlKind kind) { return kind == ControlKind::Button || kind == ControlKind::ImageButton; }

void OnNavigationKey(Form& f, WPARAM key, LPARAM modifiers) {
  const int focused = f.ControlHolding(GetFocus());
  if (key == VK_TAB) {
    if (modifiers & kCtrlDown) {
      TurnPage(f, modifiers & kShiftDown);
    } else {
      MoveFocus(f, focused, modifiers & kShiftDown);
    }
  } else if (key == VK_RETURN && focused >= 0) {
    if (IsPushButton(f.layout.controls[focused].kind)) {
      SendMessageA(f.controls[focused], BM_CLICK, 0, 0);  // as a click: the button's own event
    } else {
      f.Raise(focused, UiEvent::EnterPressed);
    }
  }
}

LRESULT CALLBACK KeyboardFilter(int code, WPARAM wp, LPARAM lp) {
  auto* msg = reinterpret_cast<MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message == WM_KEYDOWN &&
      (msg->wParam == VK_TAB || msg->wParam == VK_RETURN)) {
    Form* f = FormOfWindow(msg->hwnd);
    const int focused = f ? f->ControlHolding(msg->hwnd) : -1;
    // Enter is taken only where it presses something; elsewhere the control keeps it.
    const bool take = f && f->kind != WindowKind::Picker &&
                      (msg->wParam == VK_TAB ||
                       (focused >= 0 && (IsPushButton(f->layout.controls[focused].kind) ||
                                         FindHandler(f->kind, focused, UiEvent::EnterPressed))));
    if (take) {
      // The key state as of this message, not as of its later handling.
      const LPARAM modifiers = (GetKeyState(VK_SHIFT) < 0 ? kShiftDown : 0) | (GetKeyState(VK_CONTROL) < 0 ? kCtrlDown : 0);
      PostMessageA(f->hwnd, WM_RAVO_KEY, msg->wParam, modifiers);
      msg->message = WM_NULL;  // no WM_CHAR either: TranslateMessage sees no key
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

UniqueHook g_keyboardHook;  // while a main or update window exists

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = static_cast<Form*>(GetPropA(hwnd, kFormProp));
  if (!f) return DefWindowProcA(hwnd, msg, wp, lp);
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
    case WM_RAVO_KEY:
      OnNavigationKey(*f, wp, lp);
      return 0;
    case WM_CTLCOLORSTATIC: {
      const int index = f->IndexOf(reinterpret_cast<HWND>(lp));
      if (index >= 0) {
        const ControlKind kind = f->layout.controls[index].kind;
        HDC dc = reinterpret_cast<HDC>(wp);
        if (kind == ControlKind::Hyperlink) SetTextColor(dc, RGB(0, 0, 238));
        if (kind == ControlKind::TransparentLabel || kind == ControlKind::Hyperlink ||
            kind == ControlKind::Label || kind == ControlKind::CheckBox) {
          SetBkMode(dc, TRANSPARENT);
          // On the tab pages the page shows through; elsewhere the window's colour is
          // painted, so that a changed caption leaves nothing of the old one behind.
          HWND parent = GetParent(reinterpret_cast<HWND>(lp));
          if (parent != hwnd) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
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
      for (size_t i = 0; i < f->timerPeriods.size(); ++i)
        if (f->timerPeriods[i] > 0) KillTimer(hwnd, kControlIdBase + i);
      break;
    }
    case WM_NCDESTROY: {
      RemovePropA(hwnd, kFormProp);
      const WindowKind kind = f->kind;
      if (g_forms[static_cast<int>(kind)] == f) g_forms[static_cast<int>(kind)] = nullptr;
      f->hwnd = nullptr;
      if (kind != WindowKind::Picker && --g_topLevelWindows == 0) {
        g_keyboardHook.Reset();
        PostQuitMessage(0);
      }
      delete f;  // a modal loader only compares its pointer with the live form
      return DefWindowProcA(hwnd, msg, wp, lp);
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void EnsureFormClass() {
  static bool done = false;
  if (done) return;
  done = true;
  EnsureClasses();
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FormProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  // The program's own icon, in the sizes of the title bar and the task switcher.
  auto icon = [](int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON, size, size, LR_SHARED));
  };
  wc.hIcon = icon(SM_CXICON);
  wc.hIconSm = icon(SM_CXSMICON);
  if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);
}

}  // namespace

namespace ui_internal {

void RaiseControlEvent(HWND control, UiEvent event) {
  Form* f = FormOfWindow(control);
  if (!f) return;
  const int index = f->IndexOf(control);
  if (index >= 0) f->Raise(index, event);
}

HFONT UiFont() {
  // A font with GBK glyphs: the face where it is installed, else the system's GB2312 font.
  static ScopedGdiObj<HFONT> font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                              DEFAULT_PITCH | FF_DONTCARE, "WenQuanYi Micro Hei"));
  return font.Get();
}

HFONT TwoLineFont() {
  // The same face with a cell height of 12 pixels: the layout gives a two-line caption
  // 24 pixels, which the UI font's taller lines overflow.
  static ScopedGdiObj<HFONT> font(CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                              DEFAULT_PITCH | FF_DONTCARE, "WenQuanYi Micro Hei"));
  return font.Get();
}

}  // namespace ui_internal

// ---- Control ----

Form* Control::LiveForm() const {
  Form* f = FormOf(window_);
  return f && f->hwnd ? f : nullptr;
}

const ControlSpec& Control::Row() const { return SpecOf(window_).controls[index_]; }

HWND Control::Handle() const {
  Form* f = LiveForm();
  return f ? f->controls[index_] : nullptr;
}

bool Control::Exists() const { return LiveForm() != nullptr; }

std::string Control::Text() const {
  HWND h = Handle();
  if (!h) return {};
  if (Row().kind == ControlKind::FileList) return SelectedEntry();
  const int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  const int got = GetWindowTextA(h, s.data(), n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

void Control::SetText(std::string_view text) const {
  if (HWND h = Handle()) SetWindowTextA(h, std::string(text).c_str());
}

bool Control::Checked() const {
  HWND h = Handle();
  return h && SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Control::SetChecked(bool checked) const {
  if (HWND h = Handle()) SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Control::Visible() const {
  HWND h = Handle();
  return h && (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
}

void Control::SetVisible(bool visible) const {
  if (HWND h = Handle()) ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
}

int Control::TimerPeriod() const {
  Form* f = LiveForm();
  return f ? f->timerPeriods[index_] : 0;
}

void Control::SetTimerPeriod(int ms) const {
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

int Control::RowCount() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void Control::DeleteAllRows() const {
  if (HWND h = Handle()) SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
}

int Control::InsertRow(std::string_view firstColumn, intptr_t itemData) const {
  HWND h = Handle();
  if (!h) return -1;
  std::string text(firstColumn);
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = text.data();
  item.lParam = itemData;
  return static_cast<int>(SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void Control::SetCell(int row, int column, std::string_view text) const {
  HWND h = Handle();
  if (!h) return;
  std::string s(text);
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = s.data();
  SendMessageA(h, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::string Control::Cell(int row, int column) const {
  HWND h = Handle();
  if (!h || row < 0 || row >= RowCount()) return {};
  // The list view copies at most the buffer's size: grow until the text fits.
  for (size_t size = 256;; size *= 4) {
    std::string buf(size, '\0');
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(size);
    const int got = static_cast<int>(SendMessageA(h, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
    if (got < 0) return {};
    if (static_cast<size_t>(got) < size - 2 || size >= (1u << 24)) {
      buf.resize(strnlen(buf.data(), size));
      return buf;
    }
  }
}

intptr_t Control::RowData(int row) const {
  HWND h = Handle();
  if (!h || row < 0) return 0;
  if (const RowSource* source = LiveForm()->rowSources[index_]) return row < RowCount() ? source->data(row) : 0;
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(h, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

void Control::DeleteRow(int row) const {
  if (HWND h = Handle()) SendMessageA(h, LVM_DELETEITEM, row, 0);
}

int Control::SelectedRow() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void Control::SetSelectedRow(int row) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h) return;
  f->quietListChanges = true;
  LVITEMA clear = {};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (row >= 0) {
    LVITEMA set = {};
    set.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    set.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(h, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&set));
  }
  f->quietListChanges = false;
}

void Control::ShowRows(const RowSource& source, int count) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h || Row().kind != ControlKind::VirtualListView) return;
  SetSelectedRow(-1);
  f->rowSources[index_] = &source;
  SendMessageA(h, LVM_SETITEMCOUNT, std::max(count, 0), 0);
  InvalidateRect(h, nullptr, TRUE);
}

void Control::EnsureVisible(int row) const {
  if (HWND h = Handle()) SendMessageA(h, LVM_ENSUREVISIBLE, row, FALSE);
}

int Control::ColumnCount() const {
  HWND h = Handle();
  if (!h) return 0;
  HWND header = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string Control::ColumnCaption(int column) const {
  HWND h = Handle();
  if (!h) return {};
  char buf[256] = {};
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = sizeof(buf);
  if (!SendMessageA(h, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col))) return {};
  return buf;
}

int Control::ColumnWidth(int column) const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageA(h, LVM_GETCOLUMNWIDTH, column, 0)) : 0;
}

std::string Control::Folder() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->Folder() : std::string();
}

void Control::SetFolder(std::string_view folder) const {
  Form* f = LiveForm();
  if (f && f->fileLists[index_]) f->fileLists[index_]->SetFolder(folder);
}

std::vector<std::string> Control::Entries() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->Entries() : std::vector<std::string>();
}

std::string Control::SelectedEntry() const {
  Form* f = LiveForm();
  return f && f->fileLists[index_] ? f->fileLists[index_]->SelectedEntry() : std::string();
}

void Control::SetSelectedEntry(int index) const {
  if (HWND h = Handle()) SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Control::CurrentPage() const {
  HWND h = Handle();
  return h ? static_cast<int>(SendMessageA(h, TCM_GETCURSEL, 0, 0)) : -1;
}

void Control::SetCurrentPage(int page) const {
  Form* f = LiveForm();
  HWND h = Handle();
  if (!h) return;
  const int pages = static_cast<int>(SendMessageA(h, TCM_GETITEMCOUNT, 0, 0));
  page = std::clamp(page, 0, std::max(0, pages - 1));
  SendMessageA(h, TCM_SETCURSEL, page, 0);
  f->ShowPage(index_, page);
}

DrawingBoard* Control::Board() const {
  HWND h = Handle();
  if (!h || Row().kind != ControlKind::DrawingBoard) return nullptr;
  return reinterpret_cast<DrawingBoard*>(GetWindowLongPtrA(h, GWLP_USERDATA));
}

// ---- windows ----

namespace ui {

HWND LoadWindow(WindowKind kind, const LoadOptions& options) {
  if (FormOf(kind)) return FormOf(kind)->hwnd;
  EnsureFormClass();
  const WindowSpec& layout = SpecOf(kind);
  HWND owner = options.owner ? WindowHandle(*options.owner) : nullptr;
  DWORD style, exStyle = 0;
  if (kind == WindowKind::Picker) {
    style = WS_POPUP;
    exStyle = WS_EX_TOOLWINDOW;
  } else {
    style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  }
  auto* f = new Form(kind);
  HWND hwnd = CreateWindowExA(exStyle, kFormClass, layout.title, style, layout.x, layout.y, layout.w, layout.h, owner,
                              nullptr, Instance(), nullptr);
  if (!hwnd) {
    delete f;
    return nullptr;
  }
  f->hwnd = hwnd;
  SetPropA(hwnd, kFormProp, f);
  g_forms[static_cast<int>(kind)] = f;
  if (kind != WindowKind::Picker && g_topLevelWindows++ == 0)
    g_keyboardHook.Reset(SetWindowsHookExA(WH_GETMESSAGE, KeyboardFilter, nullptr, GetCurrentThreadId()));
  for (int i = 0; i < layout.controlCount; ++i) CreateControl(*f, i);
  // Group boxes go under their siblings, so that a control lying inside a group box's
  // rectangle without being its child is not hidden by it.
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::GroupBox && f->controls[i])
      SetWindowPos(f->controls[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // A label whose rectangle overlaps an earlier label's goes above it: its caption starts
  // in the overlap, where the earlier caption has already ended.
  for (int i = 0; i < layout.controlCount; ++i) {
    if (layout.controls[i].kind != ControlKind::Label || !f->controls[i]) continue;
    for (int j = 0; j < i; ++j) {
      const ControlSpec &a = layout.controls[j], &b = layout.controls[i];
      const bool overlap = a.kind == ControlKind::Label && a.parent == b.parent && a.page == b.page &&
                           a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
      if (overlap) SetWindowPos(f->controls[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  for (int i = 0; i < layout.controlCount; ++i)
    if (layout.controls[i].kind == ControlKind::TabControl) Control(kind, i).SetCurrentPage(0);

  f->Raise(kWindowItself, UiEvent::Created);
  if (FormOf(kind) != f) return nullptr;  // the creation handler closed it
  if (options.show) ShowWindow(hwnd, SW_SHOW);
  if (options.modal) {
    if (owner) EnableWindow(owner, FALSE);
    MSG msg;
    while (FormOf(kind) == f) {
      const BOOL r = GetMessageA(&msg, nullptr, 0, 0);
      if (r <= 0) {
        if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (owner && IsWindow(owner)) EnableWindow(owner, TRUE);
    return nullptr;
  }
  return hwnd;
}

HWND WindowHandle(WindowKind kind) {
  Form* f = FormOf(kind);
  return f ? f->hwnd : nullptr;
}

bool WindowExists(WindowKind kind) { return WindowHandle(kind) != nullptr; }

void DestroyWindowNow(WindowKind kind) {
  if (HWND h = WindowHandle(kind)) DestroyWindow(h);
}

void DestroyWindowDeferred(WindowKind kind) {
  if (HWND h = WindowHandle(kind)) PostMessageA(h, WM_RAVO_DESTROY, 0, 0);
}

void SetAlwaysOnTop(WindowKind kind, bool onTop) {
  if (HWND h = WindowHandle(kind))
    SetWindowPos(h, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetWindowVisible(WindowKind kind, bool visible) {
  if (HWND h = WindowHandle(kind)) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

void ProcessPendingMessages() { DispatchPendingMessages(); }

int RunMessageLoop() {
  if (g_topLevelWindows == 0) return 0;
  MSG msg;
  BOOL r;
  while ((r = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return r == 0 ? static_cast<int>(msg.wParam) : 1;
}

int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), flags | MB_TASKMODAL);
}

void OpenWebAddress(std::string_view url) {
  ShellExecuteA(nullptr, "open", std::string(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string ProgramFolder() {
  const std::string path = ProgramFile();
  const int32_t slash = gbk::FindBackwards(path, "\\");
  return slash < 1 ? std::string() : gbk::Left(path, slash - 1);
}

}  // namespace ui
