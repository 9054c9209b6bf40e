#include "delivery/target_picker.h"

#include <algorithm>
#include <string>

#include "delivery/target_display.h"
#include "delivery/text_delivery.h"
#include "layout/program_windows.h"
#include "text/encoding.h"
#include "win/dpi.h"
#include "win/drawing_board.h"
#include "win/owners.h"
#include "win/program.h"
#include "win/window_bounds.h"

namespace {

struct Segment {
  int x1, y1, x2, y2;
};

// The icon's lines, drawn over its circle, each from the first point up to the second.
constexpr Segment kIconLines[] = {
    {4, 14, 25, 14},  {14, 4, 14, 25},                                     // crosshair
    {9, 12, 9, 17},   {11, 13, 11, 16}, {13, 13, 13, 16},                  // left bracket
    {19, 12, 19, 17}, {17, 13, 17, 16}, {15, 13, 15, 16},                  // right bracket
    {12, 9, 17, 9},   {13, 11, 16, 11}, {13, 13, 16, 13},                  // upper bracket
    {12, 19, 17, 19}, {13, 17, 16, 17}, {13, 15, 16, 15},                  // lower bracket
};
constexpr int kIconCircle[] = {4, 4, 25, 25};
constexpr int kIconCentre = 14;  // also the cursor's place on the picker window

const COLORREF kCaptureBoardBack = RGB(240, 255, 240);
const int kCrosshairEnd = 31;

const int32_t kSuperModeOffset = 15;
const char kSuperModeNotice[] =
    "(*^-^*) 无法获取窗口句柄,超级模式被激活,松开鼠标后获取当前窗口句柄!";
const char kTitlePrefix[] = "窗口标题：";
const char kDocumentQuestion[] =
    "这是一个多行文本框，里面已有文字：每行歌词都会替换它的全部内容。仍然选它吗？";
const char kDocumentCaption[] = "选取窗口";

// A wide frame, so that it stands out around windows of any size (the inner half of a
// 5-pixel pen at 96 DPI, scaled with the framed window).
const int kFramePenWidth = 5;

const COLORREF kSeeThroughKey = RGB(255, 255, 255);
const BYTE kPickerAlpha = 250;

std::string WindowTitle(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring title(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int got = GetWindowTextW(window, title.data(), length + 1);
  title.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return enc::Narrow(title);
}

void DrawCrosshair(DrawingBoard& board) {
  board.Line(0, kIconCentre, kCrosshairEnd, kIconCentre);
  board.Line(kIconCentre, 0, kIconCentre, kCrosshairEnd);
}

bool OfThisProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process == GetCurrentProcessId();
}

// A multi-line edit or rich-edit control with text in it: a document (a text editor's
// page, a word processor's), which every delivery would replace whole. Its length is
// asked with a bound, as a target is probed; one that does not say is taken to hold text.
bool HoldsDocument(HWND window) {
  if (!IsEditControl(window) || (GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE) == 0) return false;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTargetAnswerMs, &length))
    return true;
  return length > 0;
}

// Windows that the mouse passes through, as the picker window: WindowFromPoint looks
// past them, and so does the walk.
bool SeeThrough(HWND window) {
  const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
  return (ex & WS_EX_TRANSPARENT) && (ex & WS_EX_LAYERED);
}

}  // namespace

HWND WindowAtPoint(POINT p) {
  for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
    RECT rc;
    if (!IsWindowVisible(top) || SeeThrough(top) || !GetWindowRect(top, &rc) || !PtInRect(&rc, p)) continue;
    HWND found = top;
    for (;;) {
      POINT client = p;
      ScreenToClient(found, &client);
      HWND child = ChildWindowFromPointEx(found, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
      if (!child || child == found) return found;
      found = child;
    }
  }
  return nullptr;
}

void TargetPicker::EndPick(bool destroyPicker) {
  // First, so that the capture and the picker window going raise nothing here again.
  picking_ = false;
  // Shown again however many looks (or others) hid it; a count already at 0 or above is
  // left as it was.
  int shown = ShowCursor(TRUE);
  while (shown < 0) shown = ShowCursor(TRUE);
  if (shown > 0) ShowCursor(FALSE);
  if (GetCapture() == M<MainCtl::画板_捕获器>().Handle()) ReleaseCapture();
  if (focusBefore_ && IsWindow(focusBefore_)) SetFocus(focusBefore_);
  focusBefore_ = nullptr;
  ui::SetAlwaysOnTop(WindowKind::Main, false);
  frame_.Remove();
  framed_ = nullptr;
  offset_ = 0;
  // Safe from inside the board's handlers: the window layer touches neither the form nor
  // the window once the handler has returned.
  if (destroyPicker) ui::DestroyWindowNow(WindowKind::Picker);
}

// The pick has chosen (or kept the choice before it): the top strip names the window,
// deliveries go on, a nickname restore held by the pick is written, and a lyric line
// that fell due during it goes out now.
void TargetPicker::ResumeDeliveries() {
  ShowChosenTarget(target_);
  target_.SetPickUnderWay(false);
  if (target_.TakeHeldRestore()) RestoreNickname(target_);
  if (pickEnded_) pickEnded_();
}

void TargetPicker::Cancel(bool destroyPicker) {
  if (!picking_) return;
  M<MainCtl::透明标签1>().SetText(titleBefore_);
  EndPick(destroyPicker);
  ResumeDeliveries();
}

void DrawPickerIcon(DrawingBoard& board, COLORREF color, int dx, int dy) {
  const COLORREF fill = board.BackColor();  // the board fills ellipses with it
  board.SetPenColor(color);
  board.Ellipse(dx + kIconCircle[0], dy + kIconCircle[1], dx + kIconCircle[2], dy + kIconCircle[3]);
  for (const Segment& s : kIconLines) board.Line(dx + s.x1, dy + s.y1, dx + s.x2, dy + s.y2);
  board.Pixel(dx + kIconCentre, dy + kIconCentre, fill);
}

namespace {

LRESULT CALLBACK FrameEdgeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      const HDC dc = reinterpret_cast<HDC>(wp);
      SetDCBrushColor(dc, FRAME_COLOR);
      FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      return 1;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

HWND CreateFrameEdge() {
  const wchar_t kClass[] = L"RavoPickerFrameEdge";
  const HINSTANCE self = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  if (!GetClassInfoW(self, kClass, &wc)) {
    wc.lpfnWndProc = FrameEdgeProc;
    wc.hInstance = self;
    wc.lpszClassName = kClass;
    if (!RegisterClassW(&wc)) return nullptr;
  }
  const HWND edge = CreateWindowExW(
      WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT, kClass, L"", WS_POPUP,
      0, 0, 1, 1, nullptr, nullptr, self, nullptr);
  // A layered window shows nothing until it is given its attributes; fully opaque here.
  if (edge) SetLayeredWindowAttributes(edge, 0, 255, LWA_ALPHA);
  return edge;
}

}  // namespace

void WindowFrame::Around(HWND window) {
  RECT rc;
  if (!VisibleWindowBounds(window, &rc) || rc.right <= rc.left || rc.bottom <= rc.top) {
    Remove();
    return;
  }
  // The rectangle in the screen's own pixels (the tool is aware of each monitor's DPI);
  // the band is the inner half of a 5-pixel pen centred on the edge, scaled with the
  // framed window, never more than half the window.
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  const int band = std::min({(dpi::Scale(kFramePenWidth, dpi::OfWindow(window)) + 1) / 2, w / 2, h / 2});
  const RECT sides[4] = {
      {rc.left, rc.top, rc.right, rc.top + band},                     // top, over the title bar
      {rc.left, rc.bottom - band, rc.right, rc.bottom},               // bottom
      {rc.left, rc.top + band, rc.left + band, rc.bottom - band},     // left
      {rc.right - band, rc.top + band, rc.right, rc.bottom - band},  // right
  };
  for (int i = 0; i < 4; ++i) {
    if (!edges_[i] && !(edges_[i] = CreateFrameEdge())) continue;
    const RECT& s = sides[i];
    SetWindowPos(edges_[i], HWND_TOPMOST, s.left, s.top, s.right - s.left, s.bottom - s.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

void WindowFrame::Remove() {
  for (HWND& edge : edges_) {
    if (edge && IsWindow(edge)) DestroyWindow(edge);
    edge = nullptr;
  }
}

void MakeClickThrough(HWND window) {
  SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_TRANSPARENT | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, kSeeThroughKey, kPickerAlpha, LWA_COLORKEY | LWA_ALPHA);
}

void TargetPicker::OnMainWindowActivated() {
  // The pick itself activates the main window when the board takes the focus; the icon
  // is off the board until the pick ends.
  if (picking_) return;
  DrawingBoard* board = M<MainCtl::画板_捕获器>().Board();
  if (!board) return;
  board->Clear();
  board->SetBackColor(kCaptureBoardBack);
  board->SetPenColor(PICKER_COLOR);
  DrawCrosshair(*board);
  DrawPickerIcon(*board, PICKER_COLOR, 0, 0);
}

void TargetPicker::OnCaptureBoardMouseDown() {
  const auto captureBoard = M<MainCtl::画板_捕获器>();
  if (DrawingBoard* board = captureBoard.Board()) {
    board->SetPenColor(PICKER_COLOR);
    board->Clear();
    DrawCrosshair(*board);
  }
  if (picking_ || ui::WindowExists(WindowKind::Picker)) return;
  picking_ = true;
  target_.SetPickUnderWay(true);
  titleBefore_ = M<MainCtl::透明标签1>().Text();
  // The board takes the keys too, so that Esc reaches it.
  focusBefore_ = GetFocus();
  SetFocus(captureBoard.Handle());
  SetCapture(captureBoard.Handle());
  ui::LoadOptions options;
  options.show = false;
  options.owner = WindowKind::Main;
  ui::LoadWindow(WindowKind::Picker, options);
}

void TargetPicker::OnPickerWindowCreated() {
  FollowCursor();
  ui::SetWindowVisible(WindowKind::Picker, true);
  POINT cursor = {};
  GetCursorPos(&cursor);
  // The button's state as of the press being handled: one already let go (a click
  // without a drag, a press that came late) sends no release to wait for.
  if ((GetKeyState(VK_LBUTTON) & 0x8000) == 0) {
    ReleaseOver(WindowFromPoint(cursor));
    return;
  }
  // On top before the first look, so that the frame's edges go above the main window.
  ui::SetAlwaysOnTop(WindowKind::Main, true);
  DetectWindowUnderCursor(WindowFromPoint(cursor));
}

void TargetPicker::FollowCursor() {
  HWND picker = ui::WindowHandle(WindowKind::Picker);
  if (!picker) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  // The icon's place on the picker window, in its pixels; the cursor's in the screen's.
  const int centre = ui::ScaleFor(WindowKind::Picker, kIconCentre - offset_);
  SetWindowPos(picker, nullptr, cursor.x - centre, cursor.y - centre, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TargetPicker::OnCaptureBoardMouseMove() {
  if (!picking_) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  DetectWindowUnderCursor(WindowFromPoint(cursor));
  FollowCursor();
}

void TargetPicker::OnCaptureBoardButtonUp() {
  if (!picking_) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  ReleaseOver(WindowFromPoint(cursor));
}

void TargetPicker::DetectWindowUnderCursor(HWND under) {
  if (!picking_) return;
  const bool own = OfThisProcess(under);

  DrawingBoard* board = P<PickerCtl::画板1>().Board();
  if (board) board->Clear();
  if (!under) {
    offset_ = kSuperModeOffset;
    if (board) board->Text(0, 0, kSuperModeNotice);
  } else {
    offset_ = 0;
    if (board) DrawPickerIcon(*board, PICKER_COLOR, 0, 0);
    ShowCursor(FALSE);  // the icon's crosshair stands in for the cursor
  }
  // Every look: the first one ran before the window could be made see-through.
  MakeClickThrough(ui::WindowHandle(WindowKind::Picker));

  if (under != framed_ && !own) {
    frame_.Around(under);
    // The icon stays above the frame's edges when the cursor is on one.
    if (HWND picker = ui::WindowHandle(WindowKind::Picker))
      SetWindowPos(picker, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    framed_ = under;
    M<MainCtl::透明标签1>().SetText(kTitlePrefix + WindowTitle(under));
  }
}

void TargetPicker::ReleaseOver(HWND under) {
  if (!picking_) return;
  DetectWindowUnderCursor(under);
  HWND chosen = under;
  if (offset_ == kSuperModeOffset) {
    // The system named no window under the cursor: the walk names the one there.
    POINT cursor = {};
    GetCursorPos(&cursor);
    chosen = WindowAtPoint(cursor);
  }
  // Nothing there, or a window of the tool itself (the picker window too, about to go),
  // chooses nothing: the choice before the pick stands, as after Esc. So does a document
  // the user does not want replaced.
  if (OfThisProcess(chosen)) chosen = nullptr;
  // The capture, the frame and the picker window go before any question is asked.
  EndPick();
  const bool takes = chosen && IsWindow(chosen) &&
                     (!HoldsDocument(chosen) ||
                      ui::ShowMessageBox(kDocumentQuestion, kDocumentCaption,
                                         MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) == IDYES);
  if (takes) {
    target_.Set(chosen);
    M<MainCtl::透明标签1>().SetText(kTitlePrefix + WindowTitle(chosen));
  } else {
    M<MainCtl::透明标签1>().SetText(titleBefore_);
  }
  ResumeDeliveries();
}
