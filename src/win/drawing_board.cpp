#include "win/drawing_board.h"

#include "win/window_layer_internal.h"

namespace {

LRESULT CALLBACK BoardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* board = reinterpret_cast<DrawingBoard*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new DrawingBoard(hwnd)));
      break;
    case WM_NCDESTROY:
      delete board;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (board) board->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      ui_internal::RaiseControlEvent(hwnd, UiEvent::LeftButtonDown);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

const char* DrawingBoard::ClassName() { return "RavoDrawingBoard"; }

void DrawingBoard::Register(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = BoardProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_HAND);
  wc.lpszClassName = ClassName();
  ::RegisterClassA(&wc);
}

DrawingBoard::DrawingBoard(HWND hwnd) : hwnd_(hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  width_ = rc.right > 0 ? rc.right : 1;
  height_ = rc.bottom > 0 ? rc.bottom : 1;
  ScopedWindowDC screen(hwnd, ScopedWindowDC::Client);
  dc_ = CreateCompatibleDC(screen.Get());
  bitmap_ = CreateCompatibleBitmap(screen.Get(), width_, height_);
  oldBitmap_ = SelectObject(dc_, bitmap_);
  Clear();
}

DrawingBoard::~DrawingBoard() {
  SelectObject(dc_, oldBitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void DrawingBoard::Changed() { InvalidateRect(hwnd_, nullptr, FALSE); }

void DrawingBoard::Clear() {
  ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(back_));
  RECT rc = {0, 0, width_, height_};
  FillRect(dc_, &rc, brush.Get());
  Changed();
}

void DrawingBoard::SetBackColor(COLORREF color) { back_ = color; }
void DrawingBoard::SetPenColor(COLORREF color) { pen_ = color; }

void DrawingBoard::Line(int x1, int y1, int x2, int y2) {
  ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, pen_));
  ScopedSelectObject sel(dc_, pen.Get());
  MoveToEx(dc_, x1, y1, nullptr);
  LineTo(dc_, x2, y2);
  Changed();
}

void DrawingBoard::Ellipse(int x1, int y1, int x2, int y2) {
  ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, pen_));
  ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(back_));
  ScopedSelectObject selPen(dc_, pen.Get());
  ScopedSelectObject selBrush(dc_, brush.Get());
  ::Ellipse(dc_, x1, y1, x2, y2);
  Changed();
}

void DrawingBoard::Pixel(int x, int y, COLORREF color) {
  SetPixel(dc_, x, y, color);
  Changed();
}

void DrawingBoard::Text(int x, int y, std::string_view text) {
  ScopedSelectObject font(dc_, ui_internal::UiFont());
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, pen_);
  TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
  Changed();
}

COLORREF DrawingBoard::PixelAt(int x, int y) const { return GetPixel(dc_, x, y); }

void DrawingBoard::Paint(HDC dc) const { BitBlt(dc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY); }
