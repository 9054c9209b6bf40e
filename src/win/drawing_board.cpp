#include "win/drawing_board.h"

#include <algorithm>

#include "text/encoding.h"
#include "win/dpi.h"
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
    case WM_MOUSEMOVE:
      ui_internal::RaiseControlEvent(hwnd, UiEvent::MouseMoved);
      return 0;
    case WM_LBUTTONUP:
      ui_internal::RaiseControlEvent(hwnd, UiEvent::LeftButtonUp);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) ui_internal::RaiseControlEvent(hwnd, UiEvent::CaptureLost);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) {
        ui_internal::RaiseControlEvent(hwnd, UiEvent::EscapePressed);
        return 0;
      }
      break;
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
  MakeBitmap();
  Clear();
}

void DrawingBoard::MakeBitmap() {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  width_ = rc.right > 0 ? rc.right : 1;
  height_ = rc.bottom > 0 ? rc.bottom : 1;
  if (dc_) SelectObject(dc_.Get(), oldBitmap_);
  ScopedWindowDC screen(hwnd_, ScopedWindowDC::Client);
  dc_.Reset(CreateCompatibleDC(screen.Get()));
  bitmap_.Reset(CreateCompatibleBitmap(screen.Get(), width_, height_));
  oldBitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
}

// The bitmap goes out of the DC before either is deleted.
DrawingBoard::~DrawingBoard() { SelectObject(dc_.Get(), oldBitmap_); }

void DrawingBoard::Changed() { InvalidateRect(hwnd_, nullptr, FALSE); }

void DrawingBoard::SetDpi(int dpi) {
  dpi_ = dpi;
  MakeBitmap();
  for (const Shape& shape : shapes_) Draw(shape);
  Changed();
}

void DrawingBoard::Add(Shape shape) {
  shape.pen = pen_;
  shape.back = back_;
  Draw(shape);
  shapes_.push_back(std::move(shape));
  Changed();
}

void DrawingBoard::Draw(const Shape& s) {
  HDC dc = dc_.Get();
  auto at = [this](int v) { return dpi::Scale(v, dpi_); };
  // The layout pixels from (x1, y1) up to (x2, y2), both excluded edges included: a
  // square of board pixels each.
  auto fill = [&](int x1, int y1, int x2, int y2, COLORREF color) {
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(color));
    RECT rc = {at(x1), at(y1), at(x2), at(y2)};
    FillRect(dc, &rc, brush.Get());
  };
  const int penWidth = at(1);
  switch (s.kind) {
    case Shape::Fill:
      fill(0, 0, 0x7fff, 0x7fff, s.back);
      break;
    case Shape::Line:
      // Across or down: the pixels GDI's one-pixel line gives, each scaled.
      if (s.x1 == s.x2 && s.y1 == s.y2) {
        break;  // GDI draws no pixel of a line that ends where it starts
      } else if (s.y1 == s.y2) {
        fill(std::min(s.x1, s.x2 + 1), s.y1, std::max(s.x1 + 1, s.x2), s.y1 + 1, s.pen);
      } else if (s.x1 == s.x2) {
        fill(s.x1, std::min(s.y1, s.y2 + 1), s.x1 + 1, std::max(s.y1 + 1, s.y2), s.pen);
      } else {
        ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, penWidth, s.pen));
        ScopedSelectObject sel(dc, pen.Get());
        MoveToEx(dc, at(s.x1), at(s.y1), nullptr);
        LineTo(dc, at(s.x2), at(s.y2));
      }
      break;
    case Shape::Ellipse: {
      ScopedGdiObj<HPEN> pen(CreatePen(penWidth > 1 ? PS_INSIDEFRAME : PS_SOLID, penWidth, s.pen));
      ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(s.back));
      ScopedSelectObject selPen(dc, pen.Get());
      ScopedSelectObject selBrush(dc, brush.Get());
      ::Ellipse(dc, at(s.x1), at(s.y1), at(s.x2), at(s.y2));
      break;
    }
    case Shape::Pixel:
      fill(s.x1, s.y1, s.x1 + 1, s.y1 + 1, s.back);
      break;
    case Shape::Text: {
      ScopedSelectObject font(dc, ui_internal::UiFont(dpi_));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, s.pen);
      TextOutW(dc, at(s.x1), at(s.y1), s.text.data(), static_cast<int>(s.text.size()));
      break;
    }
  }
}

void DrawingBoard::Clear() {
  shapes_.clear();
  Add({Shape::Fill, 0, 0, 0, 0, 0, 0, {}});
}

void DrawingBoard::SetBackColor(COLORREF color) { back_ = color; }
void DrawingBoard::SetPenColor(COLORREF color) { pen_ = color; }

void DrawingBoard::Line(int x1, int y1, int x2, int y2) { Add({Shape::Line, x1, y1, x2, y2, 0, 0, {}}); }

void DrawingBoard::Ellipse(int x1, int y1, int x2, int y2) { Add({Shape::Ellipse, x1, y1, x2, y2, 0, 0, {}}); }

// The pixel's colour travels as the shape's fill.
void DrawingBoard::Pixel(int x, int y, COLORREF color) {
  const COLORREF back = back_;
  back_ = color;
  Add({Shape::Pixel, x, y, x, y, 0, 0, {}});
  back_ = back;
}

void DrawingBoard::Text(int x, int y, std::string_view text) { Add({Shape::Text, x, y, x, y, 0, 0, enc::Wide(text)}); }

COLORREF DrawingBoard::PixelAt(int x, int y) const {
  return GetPixel(dc_.Get(), dpi::Scale(x, dpi_), dpi::Scale(y, dpi_));
}

void DrawingBoard::Paint(HDC dc) const { BitBlt(dc, 0, 0, width_, height_, dc_.Get(), 0, 0, SRCCOPY); }
