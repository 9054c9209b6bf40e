#include "delivery/target_picker.h"

#include <string>

#include "win/dpi.h"
#include "win/drawing_board.h"
#include "text/encoding.h"
#include "win/owners.h"
#include "layout/program_windows.h"

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

// A wide pen, so that the frame stands out around windows of any size (5 pixels at 96
// DPI, scaled with the framed window); R2_NOT ignores its colour.
const int kFramePenWidth = 5;
const COLORREF kFramePenColor = 500;

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

bool LeftButtonDown() { return (GetKeyState(VK_LBUTTON) & 0xFF) >= 0x80; }

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

void TargetPicker::EndPick() {
  if (offset_ == kSuperModeOffset) {
    // The system named no window under the cursor: the walk names the one there.
    POINT cursor = {};
    GetCursorPos(&cursor);
    target_.Set(WindowAtPoint(cursor));
  }
  while (ShowCursor(TRUE) < 0) {
  }
  if (GetCapture() == M<MainCtl::画板_捕获器>().Handle()) ReleaseCapture();
  ui::SetAlwaysOnTop(WindowKind::Main, false);
  ToggleWindowFrame(framed_);
  framed_ = nullptr;
  offset_ = 0;
  // Safe from inside the picker's own timer: the window layer touches neither the form
  // nor the window once the handler has returned.
  ui::DestroyWindowNow(WindowKind::Picker);
}

void DrawPickerIcon(DrawingBoard& board, COLORREF color, int dx, int dy) {
  const COLORREF fill = board.BackColor();  // the board fills ellipses with it
  board.SetPenColor(color);
  board.Ellipse(dx + kIconCircle[0], dy + kIconCircle[1], dx + kIconCircle[2], dy + kIconCircle[3]);
  for (const Segment& s : kIconLines) board.Line(dx + s.x1, dy + s.y1, dx + s.x2, dy + s.y2);
  board.Pixel(dx + kIconCentre, dy + kIconCentre, fill);
}

void ToggleWindowFrame(HWND window) {
  if (!IsWindow(window)) return;
  // The rectangle and the DC in the window's own pixels, whatever its DPI awareness and
  // ours: a window the system scales up has a DC of its unscaled size.
  const dpi::AsWindowSees asWindow(window);
  RECT rc;
  GetWindowRect(window, &rc);
  ScopedWindowDC dc(window, ScopedWindowDC::Whole);
  if (!dc.Get()) return;
  ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, dpi::Scale(kFramePenWidth, dpi::OfWindow(window)), kFramePenColor));
  ScopedSelectObject selectPen(dc.Get(), pen.Get());
  ScopedSelectObject selectBrush(dc.Get(), GetStockObject(NULL_BRUSH));
  ScopedRop2 invert(dc.Get(), R2_NOT);
  Rectangle(dc.Get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top);
}

void MakeClickThrough(HWND window) {
  SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_TRANSPARENT | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, kSeeThroughKey, kPickerAlpha, LWA_COLORKEY | LWA_ALPHA);
}

void TargetPicker::OnMainWindowActivated() {
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
  if (ui::WindowExists(WindowKind::Picker)) return;
  // Before the picker window exists: its first tick may end the pick at once.
  SetCapture(captureBoard.Handle());
  ui::LoadOptions options;
  options.show = false;
  options.owner = WindowKind::Main;
  ui::LoadWindow(WindowKind::Picker, options);
}

void TargetPicker::OnPickerWindowCreated() {
  FollowCursorTick();
  ui::SetWindowVisible(WindowKind::Picker, true);
  DetectTick();
  // A click without a drag ends the pick in that first tick; the main window must not
  // then stay above every other window.
  if (ui::WindowExists(WindowKind::Picker)) ui::SetAlwaysOnTop(WindowKind::Main, true);
}

void TargetPicker::FollowCursorTick() {
  HWND picker = ui::WindowHandle(WindowKind::Picker);
  if (!picker) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  // The icon's place on the picker window, in its pixels; the cursor's in the screen's.
  const int centre = ui::ScaleFor(WindowKind::Picker, kIconCentre - offset_);
  SetWindowPos(picker, nullptr, cursor.x - centre, cursor.y - centre, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TargetPicker::DetectTick() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  DetectWindowUnderCursor(WindowFromPoint(cursor));
}

void TargetPicker::DetectWindowUnderCursor(HWND under) {
  DWORD process = 0;
  GetWindowThreadProcessId(under, &process);
  const bool own = process != 0 && process == GetCurrentProcessId();
  if (own) target_.Clear();

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
  // Every tick: the first one ran before the window could be made see-through.
  MakeClickThrough(ui::WindowHandle(WindowKind::Picker));

  if (under != framed_ && !own) {
    ToggleWindowFrame(framed_);
    ToggleWindowFrame(under);
    framed_ = under;
    target_.Set(under);
    M<MainCtl::透明标签1>().SetText(kTitlePrefix + WindowTitle(under));
  }

  if (!LeftButtonDown()) EndPick();
}
