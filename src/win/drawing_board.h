// The drawing board control: a small canvas that keeps what was drawn on it (in a
// bitmap of its own) and repaints from it. Lines run from the first point up to the
// second, as GDI draws them.
#pragma once

#include <windows.h>

#include <string_view>

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

  void Paint(HDC dc) const;

 private:
  void Changed();
  HWND hwnd_;
  int width_, height_;
  UniqueMemoryDC dc_;
  ScopedGdiObj<HBITMAP> bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
  COLORREF back_ = RGB(255, 255, 255);
  COLORREF pen_ = RGB(0, 0, 0);
};
