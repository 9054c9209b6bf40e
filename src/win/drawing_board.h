// The drawing board control: a small canvas that keeps what was drawn on it (in a
// bitmap of its own) and repaints from it. Lines run from the first point up to the
// second, as GDI draws them. Coordinates are the layout's 96-DPI pixels: at another DPI
// each of them is a square of the board's pixels, so a drawing keeps its shape at every
// scale, and a new DPI draws everything since the last Clear again.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "win/owners.h"

class DrawingBoard {
 public:
  static constexpr wchar_t kClassName[] = L"RavoDrawingBoard";
  static void Register(HINSTANCE instance);

  explicit DrawingBoard(HWND hwnd);
  ~DrawingBoard();
  DrawingBoard(const DrawingBoard&) = delete;
  DrawingBoard& operator=(const DrawingBoard&) = delete;

  void Clear();                      // fills the board with its background colour
  void SetBackColor(COLORREF color);  // also the fill colour of ellipses
  void SetPenColor(COLORREF color);
  COLORREF BackColor() const { return back_; }
  COLORREF PenColor() const { return pen_; }
  void Line(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Pixel(int x, int y, COLORREF color);
  void Text(int x, int y, std::string_view text);
  COLORREF PixelAt(int x, int y) const;  // what the board shows there
  // The board's window has been sized for dpi: the bitmap follows its size, and what
  // was drawn is drawn again at that scale.
  void SetDpi(int dpi);

  void Paint(HDC dc) const;

 private:
  struct Shape {
    enum Kind { Fill, Line, Ellipse, Pixel, Text } kind;
    int x1, y1, x2, y2;
    COLORREF pen, back;
    std::wstring text;
  };
  void Add(Shape shape);
  void Draw(const Shape& shape);
  void MakeBitmap();
  void Changed();
  HWND hwnd_;
  int dpi_ = 96;
  std::vector<Shape> shapes_;  // since the last Clear
  int width_, height_;
  UniqueMemoryDC dc_;
  ScopedGdiObj<HBITMAP> bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
  COLORREF back_ = RGB(255, 255, 255);
  COLORREF pen_ = RGB(0, 0, 0);
};
