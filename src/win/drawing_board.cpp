#include "win/drawing_board.h"

#include "text/encoding.h"
#include "win/form.h"

namespace {

LRESULT CALLBACK BoardProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* board = reinterpret_cast<DrawingBoard*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new DrawingBoard(hwnd)));
      break;
    case WM_NCDESTROY:
      delete board;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void DrawingBoard::Register(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = BoardProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_HAND);
  wc.lpszClassName = kClassName;
  ::RegisterClassW(&wc);
}

DrawingBoard::DrawingBoard(HWND hwnd) : hwnd_(hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  width_ = rc.right > 0 ? rc.right : 1;
  height_ = rc.bottom > 0 ? rc.bottom : 1;
  ScopedWindowDC screen(hwnd, ScopedWindowDC::Client);
  dc_.Reset(CreateCompatibleDC(screen.Get()));
  bitmap_.Reset(CreateCompatibleBitmap(screen.Get(), width_, height_));
  oldBitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
  Clear();
}

// The bitmap goes out of the DC before either is deleted.
DrawingBoard::~DrawingBoard() { SelectObject(dc_.Get(), oldBitmap_); }

void DrawingBoard::Changed() { InvalidateRect(hwnd_, nullptr, FALSE); }

void DrawingBoard::Clear() {
  ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(back_));
  RECT rc = {0, 0, width_, height_};
  FillRect(dc_.Get(), &rc, brush.Get());
  Changed();
}

void DrawingBoard::SetBackColor(COLORREF color) { back_ = color; }
void DrawingBoard::SetPenColor(COLORREF color) { pen_ = color; }

void DrawingBoard::Line(int x1, int y1, int x2, int y2) {
  ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, pen_));
  ScopedSelectObject sel(dc_.Get(), pen.Get());
  MoveToEx(dc_.Get(), x1, y1, nullptr);
  LineTo(dc_.Get(), x2, y2);
  Changed();
}

void DrawingBoard::Ellipse(int x1, int y1, int x2, int y2) {
  ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, pen_));
  ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(back_));
  ScopedSelectObject selPen(dc_.Get(), pen.Get());
  ScopedSelectObject selBrush(dc_.Get(), brush.Get());
  ::Ellipse(dc_.Get(), x1, y1, x2, y2);
  Changed();
}

void DrawingBoard::Pixel(int x, int y, COLORREF color) {
  SetPixel(dc_.Get(), x, y, color);
  Changed();
}

void DrawingBoard::Text(int x, int y, std::string_view text) {
  ScopedSelectObject font(dc_.Get(), ui_internal::UiFont());
  SetBkMode(dc_.Get(), TRANSPARENT);
  SetTextColor(dc_.Get(), pen_);
  const std::wstring wide = enc::Wide(text);
  TextOutW(dc_.Get(), x, y, wide.data(), static_cast<int>(wide.size()));
  Changed();
}

COLORREF DrawingBoard::PixelAt(int x, int y) const { return GetPixel(dc_.Get(), x, y); }

void DrawingBoard::Paint(HDC dc) const { BitBlt(dc, 0, 0, width_, height_, dc_.Get(), 0, 0, SRCCOPY); }
