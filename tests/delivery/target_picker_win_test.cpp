// The window picker against real windows: the main window, blank windows of our own, and
// chat_standin.exe as the foreign program. The cursor is moved with SetCursorPos and the
// left button pressed with SendInput, so the capture board gets its messages and
// GetKeyState and WindowFromPoint answer as they would for a user's drag.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <dwmapi.h>

#include "win/drawing_board.h"
#include "win/window_bounds.h"
#include "layout/program_windows.h"
#include "app/features.h"
#include "support/child_process.h"
#include "win/program.h"
#include "support/win_test_support.h"

namespace {

const char kStandinTitle[] = "Ravo Chat Stand-in";
const char kEditStandinTitle[] = "Ravo Edit Stand-in";
const COLORREF kRed = RGB(200, 0, 0);
const COLORREF kGreen = RGB(0, 200, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCaptureBack = RGB(240, 255, 240);

// The display count, read without leaving it changed.
int CursorCount() {
  const int shown = ShowCursor(TRUE);
  ShowCursor(FALSE);
  return shown - 1;
}

// Waits until the system reports the cursor there.
bool MoveCursor(int x, int y) {
  SetCursorPos(x, y);
  return PumpUntil([x, y] {
    POINT p;
    return GetCursorPos(&p) && p.x == x && p.y == y;
  });
}

bool ButtonDown() { return GetKeyState(VK_LBUTTON) < 0; }

// The button as the system sees it; GetKeyState follows once this thread has read the input.
bool SetLeftButton(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof(in));
  return PumpUntil([down] { return ButtonDown() == down; });
}

// A borderless green window of this process: its whole window DC is on the screen.
class OwnWindow {
 public:
  OwnWindow(int x, int y, int w, int h, DWORD exStyle = 0) {
    static ScopedGdiObj<HBRUSH> green(CreateSolidBrush(kGreen));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = green.Get();
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PickerTestOwnWindow";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(exStyle, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                            wc.hInstance, nullptr);
    PumpFor(100);
  }
  ~OwnWindow() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }
  void PointAt() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    ASSERT_TRUE(MoveCursor(r.left + 20, r.top + 20));
  }

 private:
  HWND hwnd_;
};

// chat_standin.exe in its own process: a real foreign window; or another stand-in
// program with its arguments and title.
class Standin {
 public:
  explicit Standin(const char* program = "chat_standin.exe", const std::string& arguments = "",
                   const char* title = kStandinTitle)
      : process_(ChildProcess::Quoted(ui::ProgramFolder() + "\\" + program) + " " +
                 ChildProcess::Quoted(folder_.Path() + "\\standin.log") + " " + arguments) {
    if (!process_.Started()) return;
    const bool found = PumpUntil([this, title] {
      DWORD pid = 0;
      hwnd_ = FindWindowA(nullptr, title);
      return hwnd_ && GetWindowThreadProcessId(hwnd_, &pid) && pid == process_.Id();
    });
    if (!found) hwnd_ = nullptr;
    PumpFor(200);
  }
  HWND Handle() const { return hwnd_; }
  // A client point away from the nickname field and the commit dot.
  POINT PointAt() const {
    POINT p = {40, 200};
    ClientToScreen(hwnd_, &p);
    EXPECT_TRUE(MoveCursor(p.x, p.y));
    return p;
  }

 private:
  TempFolder folder_;
  ChildProcess process_;
  HWND hwnd_ = nullptr;
};

// What a frame of this thread shows at points just inside a window's edge (title bar,
// left, right, bottom) and in its middle: the colour of the frame's edge window over the
// point, read from that window, or CLR_INVALID where none is. Only windows with every
// style an edge must have count: topmost, a tool window, never activated, click-through.
BOOL CALLBACK AddFrameEdge(HWND h, LPARAM edges) {
  const LONG kEdge = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
  if (IsWindowVisible(h) && (GetWindowLongA(h, GWL_EXSTYLE) & kEdge) == kEdge)
    reinterpret_cast<std::vector<HWND>*>(edges)->push_back(h);
  return TRUE;
}
std::vector<COLORREF> FrameOver(HWND window) {
  std::vector<HWND> edges;
  EnumThreadWindows(GetCurrentThreadId(), AddFrameEdge, reinterpret_cast<LPARAM>(&edges));
  RECT r;
  GetWindowRect(window, &r);
  const POINT points[] = {{(r.left + r.right) / 2, r.top + 1}, {r.left + 1, (r.top + r.bottom) / 2},
                          {r.right - 2, r.bottom - 40}, {(r.left + r.right) / 2, r.bottom - 1},
                          {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
  std::vector<COLORREF> seen;
  for (POINT p : points) {
    COLORREF colour = CLR_INVALID;
    for (HWND edge : edges) {
      RECT e;
      if (!GetWindowRect(edge, &e) || !PtInRect(&e, p)) continue;
      ScopedWindowDC dc(edge, ScopedWindowDC::Client);
      colour = GetPixel(dc.Get(), p.x - e.left, p.y - e.top);
    }
    seen.push_back(colour);
  }
  return seen;
}
const std::vector<COLORREF> kFramed = {FRAME_COLOR, FRAME_COLOR, FRAME_COLOR, FRAME_COLOR, CLR_INVALID};
const std::vector<COLORREF> kUnframed(5, CLR_INVALID);

bool MainIsTopmost() { return GetWindowLongA(ui::WindowHandle(WindowKind::Main), GWL_EXSTYLE) & WS_EX_TOPMOST; }
// The feature objects under test: this file's own, kept for the whole run.
Program& TestedProgram() {
  static Program program;
  return program;
}
::TargetPicker& Picker() { return TestedProgram().features.picker; }
TargetWindow& Target() { return TestedProgram().features.playback.Target(); }
// The pick chose window (null too).
bool Targets(HWND window) { return Target().Chosen() && Target().Handle() == window; }

class TargetPicker : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main_.Handle());
    // Scaled up, the main window would cover the test's windows below it (the tests at
    // another DPI have a larger screen of their own).
    if (ui::WindowDpi(WindowKind::Main) != 96)
      SetWindowPos(main_.Handle(), nullptr, 1200, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::SetWindowVisible(WindowKind::Main, true);
  }
  void TearDown() override {
    if (ButtonDown()) SetLeftButton(false);  // the release ends a pick still going
    Picker().OnCaptureBoardEscape();
    ui::DestroyWindowNow(WindowKind::Picker);
    while (CursorCount() < 0) ShowCursor(TRUE);
  }
  // Opens the picker with the button held over our own window.
  void StartPickOver(const OwnWindow& own) {
    own.PointAt();
    ASSERT_TRUE(SetLeftButton(true));
    Picker().OnCaptureBoardMouseDown();
    ASSERT_TRUE(ui::WindowExists(WindowKind::Picker));
  }
  ProgramInUse inUse{TestedProgram()};
  MainWindowFixture main_;
};

TEST(TargetPickerIcon, DrawsCircleLinesAndCentreAndMovesWithItsOffset) {
  const ProgramInUse inUse(TestedProgram());
  MainWindowFixture main;
  DrawingBoard* board = M<MainCtl::画板_捕获器>().Board();
  ASSERT_TRUE(board);
  auto render = [&](int dx, int dy) {
    board->SetBackColor(kRed);
    board->Clear();
    board->SetBackColor(kGreen);
    DrawPickerIcon(*board, PICKER_COLOR, dx, dy);
  };
  render(0, 0);
  EXPECT_EQ(board->PixelAt(14, 14), kGreen);  // the centre pixel, in the fill colour
  for (POINT on : {POINT{4, 14}, {24, 14}, {14, 4}, {14, 24}, {9, 12}, {9, 16}, {19, 12}, {11, 13},
                   {12, 9}, {16, 9}, {13, 11}, {13, 19}, {15, 17}, {15, 15}})
    EXPECT_EQ(board->PixelAt(on.x, on.y), PICKER_COLOR) << on.x << "," << on.y;
  // Lines stop short of their second point.
  for (POINT off : {POINT{17, 9}, {9, 17}, {19, 17}, {16, 13}, {17, 19}, {16, 11}})
    EXPECT_EQ(board->PixelAt(off.x, off.y), kGreen) << off.x << "," << off.y;
  EXPECT_EQ(board->PixelAt(0, 0), kRed);
  EXPECT_EQ(board->PixelAt(30, 30), kRed);
  // Row 7 meets no line left of the centre: background, then the outline, then the fill.
  std::vector<COLORREF> row;
  for (int x = 0; x < 14; ++x)
    if (row.empty() || row.back() != board->PixelAt(x, 7)) row.push_back(board->PixelAt(x, 7));
  EXPECT_EQ(row, (std::vector<COLORREF>{kRed, PICKER_COLOR, kGreen}));

  std::vector<COLORREF> atOrigin;
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 26; ++x) atOrigin.push_back(board->PixelAt(x, y));
  render(3, 2);
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 26; ++x) ASSERT_EQ(board->PixelAt(x + 3, y + 2), atOrigin[y * 26 + x]) << x << "," << y;
  EXPECT_EQ(board->PixelAt(0, 0), kRed);
}

TEST_F(TargetPicker, ActivationShowsTheIconOnTheCrosshairAndAClickWithoutDragEndsAtOnce) {
  Picker().OnMainWindowActivated();
  Picker().OnMainWindowActivated();  // the second time on the board's own background colour
  DrawingBoard* board = M<MainCtl::画板_捕获器>().Board();
  EXPECT_EQ(board->PixelAt(0, 14), PICKER_COLOR);
  EXPECT_EQ(board->PixelAt(14, 0), PICKER_COLOR);
  EXPECT_EQ(board->PixelAt(31, 14), kCaptureBack);
  EXPECT_EQ(board->PixelAt(0, 0), kCaptureBack);
  EXPECT_EQ(board->PixelAt(14, 14), kCaptureBack);
  EXPECT_EQ(board->PixelAt(9, 12), PICKER_COLOR);

  ASSERT_TRUE(MoveCursor(900, 700));
  Target().Set(GetDesktopWindow());
  Picker().OnCaptureBoardMouseDown();  // the button is already up when the first tick looks
  EXPECT_EQ(board->PixelAt(9, 12), kCaptureBack) << "the icon has left the board";
  EXPECT_EQ(board->PixelAt(14, 14), PICKER_COLOR);
  EXPECT_EQ(board->PixelAt(30, 14), PICKER_COLOR);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Picker));
  EXPECT_TRUE(Targets(GetDesktopWindow())) << "released over the picker window itself: the choice before stands";
  EXPECT_FALSE(Target().PickUnderWay());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(MainIsTopmost());
  EXPECT_EQ(CursorCount(), 0);
}

TEST_F(TargetPicker, FrameShowsOnTheEdgeOfAnotherProcessesWindowLetsTheMouseThroughAndGoes) {
  Standin standin;
  ASSERT_TRUE(standin.Handle());
  OwnWindow own(100, 620, 200, 120);
  const HWND active = GetActiveWindow();
  RECT r;
  GetWindowRect(standin.Handle(), &r);
  const POINT onEdge = {r.left + 1, (r.top + r.bottom) / 2};
  const HWND fromPoint = WindowFromPoint(onEdge), atPoint = WindowAtPoint(onEdge);
  {
    WindowFrame frame;
    frame.Around(own.Handle());
    frame.Around(standin.Handle());
    EXPECT_EQ(FrameOver(standin.Handle()), kFramed) << "the frame is seen";
    EXPECT_EQ(FrameOver(own.Handle()), kUnframed) << "and has left the window framed before";
    EXPECT_EQ(WindowFromPoint(onEdge), fromPoint) << "the mouse passes through";
    EXPECT_EQ(WindowAtPoint(onEdge), atPoint);
    EXPECT_EQ(GetActiveWindow(), active);
    frame.Around(nullptr);
    EXPECT_EQ(FrameOver(standin.Handle()), kUnframed);
    frame.Around(standin.Handle());
    ASSERT_EQ(FrameOver(standin.Handle()), kFramed);
  }
  EXPECT_EQ(FrameOver(standin.Handle()), kUnframed) << "the frame goes with its owner";
}

TEST_F(TargetPicker, ClickThroughLetsWindowFromPointSeeTheWindowBelow) {
  OwnWindow below(100, 620, 200, 120);
  OwnWindow above(120, 640, 31, 31, WS_EX_TOOLWINDOW);
  const POINT p = {130, 650};
  ASSERT_EQ(WindowFromPoint(p), above.Handle());
  MakeClickThrough(above.Handle());
  const LONG ex = GetWindowLongA(above.Handle(), GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED),
            WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(above.Handle(), &key, &alpha, &flags));
  EXPECT_EQ(key, kWhite);
  EXPECT_EQ(alpha, 250);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
  EXPECT_EQ(WindowFromPoint(p), below.Handle());
}

// A look frames and names the window under the cursor; only the release chooses, so
// the target stays the one chosen before while the crosshair crosses other windows.
TEST_F(TargetPicker, LooksFrameTheHoveredWindowAndLeaveTheChoiceBefore) {
  Standin standin;
  ASSERT_TRUE(standin.Handle());
  OwnWindow own(100, 620, 200, 120);
  Target().Set(own.Handle());  // the choice before the pick
  StartPickOver(own);
  EXPECT_TRUE(Targets(own.Handle()));
  EXPECT_TRUE(Target().PickUnderWay());
  const HWND picker = ui::WindowHandle(WindowKind::Picker);
  Picker().OnCaptureBoardMouseDown();
  EXPECT_EQ(ui::WindowHandle(WindowKind::Picker), picker) << "a second press opens no second picker";

  standin.PointAt();  // the board's mouse-move messages do the looking
  Picker().OnCaptureBoardMouseMove();
  EXPECT_EQ(Picker().FramedWindow(), standin.Handle()) << "framed is hovered";
  EXPECT_TRUE(Targets(own.Handle())) << "target is earlier";
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), std::string("窗口标题：") + kStandinTitle);
  EXPECT_LT(CursorCount(), 0);
  EXPECT_EQ(P<PickerCtl::画板1>().Board()->PixelAt(9, 12), PICKER_COLOR);
  EXPECT_EQ(GetWindowLongA(picker, GWL_EXSTYLE) & (WS_EX_TRANSPARENT | WS_EX_LAYERED), WS_EX_TRANSPARENT | WS_EX_LAYERED);

  own.PointAt();
  Picker().OnCaptureBoardMouseMove();
  EXPECT_EQ(Picker().FramedWindow(), standin.Handle()) << "an own window is never framed";
  standin.PointAt();
  Picker().OnCaptureBoardMouseMove();
  EXPECT_TRUE(Targets(own.Handle()));
  EXPECT_TRUE(ui::WindowExists(WindowKind::Picker));
}

TEST_F(TargetPicker, ReleaseOverAForeignWindowEndsTheDragWithItsHandle) {
  Standin standin;
  ASSERT_TRUE(standin.Handle());
  OwnWindow own(100, 620, 200, 120);
  own.PointAt();
  ASSERT_EQ(FrameOver(standin.Handle()), kUnframed);
  for (int i = 0; i < 3; ++i) ShowCursor(FALSE);
  // Wine never lets a window with owned windows become topmost, so the main window is
  // put on top before the picker exists; the end of the pick must take it off again.
  ui::SetAlwaysOnTop(WindowKind::Main, true);
  ASSERT_TRUE(MainIsTopmost());
  ASSERT_TRUE(SetLeftButton(true));
  Picker().OnCaptureBoardMouseDown();  // the board's messages drive the rest
  ASSERT_TRUE(ui::WindowExists(WindowKind::Picker));
  EXPECT_EQ(GetCapture(), M<MainCtl::画板_捕获器>().Handle()) << "the release comes to the tool wherever it is";
  const POINT at = standin.PointAt();
  ASSERT_TRUE(PumpUntil([&] { return Picker().FramedWindow() == standin.Handle(); }));
  RECT rc;
  ASSERT_TRUE(PumpUntil([&] {
    GetWindowRect(ui::WindowHandle(WindowKind::Picker), &rc);
    const int centre = MulDiv(14, ui::WindowDpi(WindowKind::Picker), 96);
    return rc.left == at.x - centre && rc.top == at.y - centre;
  })) << "the icon's centre follows the cursor";
  EXPECT_EQ(FrameOver(standin.Handle()), kFramed) << "the frame is seen";
  EXPECT_EQ(GetCapture(), M<MainCtl::画板_捕获器>().Handle()) << "the frame takes no capture";

  ASSERT_TRUE(SetLeftButton(false));
  ASSERT_TRUE(PumpUntil([] { return !ui::WindowExists(WindowKind::Picker); }));
  EXPECT_TRUE(Targets(standin.Handle()));
  EXPECT_FALSE(Target().PickUnderWay());
  EXPECT_EQ(Picker().FramedWindow(), nullptr);
  EXPECT_FALSE(MainIsTopmost());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(CursorCount(), 0) << "shown again, however many looks and others hid it";
  EXPECT_EQ(FrameOver(standin.Handle()), kUnframed);
}

TEST_F(TargetPicker, SuperModeShowsItsNoticeAndTakesTheWindowAtTheRelease) {
  Standin standin;
  ASSERT_TRUE(standin.Handle());
  OwnWindow own(100, 620, 200, 120);
  Target().Clear();
  M<MainCtl::透明标签1>().SetText("窗口标题：before");
  StartPickOver(own);
  DrawingBoard* board = P<PickerCtl::画板1>().Board();
  Picker().DetectWindowUnderCursor(GetDesktopWindow());  // a foreign window before the fallback
  ASSERT_EQ(Picker().FramedWindow(), GetDesktopWindow());
  const int hidden = CursorCount();
  Picker().DetectWindowUnderCursor(nullptr);
  EXPECT_EQ(Picker().Offset(), 15);
  EXPECT_FALSE(Target().Chosen()) << "nothing is chosen before the release";
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "窗口标题：");
  EXPECT_EQ(Picker().FramedWindow(), nullptr);
  EXPECT_EQ(CursorCount(), hidden) << "the cursor stays visible in super mode";
  EXPECT_EQ(board->PixelAt(14, 24), kWhite) << "no icon";
  int inked = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 31; ++x) inked += board->PixelAt(x, y) != kWhite;
  EXPECT_GT(inked, 10) << "the notice is written at the top";
  Picker().FollowCursor();
  RECT rc;
  GetWindowRect(ui::WindowHandle(WindowKind::Picker), &rc);
  POINT cursor;
  GetCursorPos(&cursor);
  // The icon's centre, one layout pixel right of the window's edge, scaled with it.
  EXPECT_NEAR(rc.left, cursor.x + ui::WindowDpi(WindowKind::Picker) / 96.0, 1);

  Picker().DetectWindowUnderCursor(own.Handle());  // a window seen again ends super mode
  EXPECT_EQ(Picker().Offset(), 0);
  EXPECT_FALSE(Target().Chosen());
  Picker().DetectWindowUnderCursor(nullptr);
  ASSERT_EQ(Picker().Offset(), 15);

  // Released over our own window with no window named under the cursor: the walk over
  // the windows on the screen finds it, and a window of the tool's own is never chosen.
  Picker().ReleaseOver(nullptr);
  EXPECT_FALSE(ui::WindowExists(WindowKind::Picker));
  EXPECT_FALSE(Target().Chosen()) << "the choice before stands";
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "窗口标题：before");
  POINT release = {};
  GetCursorPos(&release);
  EXPECT_EQ(WindowAtPoint(release), own.Handle());

  // Over another program's window, the walk's window is chosen.
  StartPickOver(own);
  standin.PointAt();
  Picker().DetectWindowUnderCursor(nullptr);
  Picker().ReleaseOver(nullptr);
  EXPECT_TRUE(Targets(standin.Handle()));
  EXPECT_EQ(M<MainCtl::透明标签1>().Text(), std::string("窗口标题：") + kStandinTitle);
}

// A release over a multi-line box holding text asks first, since every line would
// replace the document in it: No keeps the choice before, Yes takes it. An empty one,
// and a single-line box, are taken without a question.
TEST_F(TargetPicker, ReleaseOverADocumentAsksFirstAndNoKeepsTheChoiceBefore) {
  OwnWindow own(100, 620, 200, 120);
  auto releaseOver = [&](HWND box, int answer) {
    MessageBoxWatcher boxes(answer);
    Target().Set(own.Handle());
    M<MainCtl::透明标签1>().SetText("窗口标题：before");
    StartPickOver(own);
    Picker().ReleaseOver(box);
    EXPECT_FALSE(Target().PickUnderWay());
    EXPECT_TRUE(SetLeftButton(false));
    std::vector<std::string> asked;
    for (const auto& seen : boxes.All()) asked.push_back(seen.text);
    return asked;
  };
  const std::vector<std::string> kAsked = {
      "这是一个多行文本框，里面已有文字：每行歌词都会替换它的全部内容。仍然选它吗？"};
  {
    Standin document("edit_standin.exe", "\"Dear friend,\\nthe apples are ripe.\" 1", kEditStandinTitle);
    const HWND box = FindWindowExA(document.Handle(), nullptr, "Edit", nullptr);
    ASSERT_TRUE(box);
    ASSERT_TRUE(GetWindowLongA(box, GWL_STYLE) & ES_MULTILINE);
    EXPECT_EQ(releaseOver(box, IDNO), kAsked);
    EXPECT_TRUE(Targets(own.Handle())) << "No keeps the choice before";
    EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "窗口标题：before");
    EXPECT_EQ(releaseOver(box, IDYES), kAsked);
    EXPECT_TRUE(Targets(box)) << "Yes takes it";
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(releaseOver(box, IDNO), std::vector<std::string>{}) << "an empty page is taken unasked";
    EXPECT_TRUE(Targets(box));
  }
  Standin line("edit_standin.exe", "", kEditStandinTitle);
  const HWND box = FindWindowExA(line.Handle(), nullptr, "Edit", nullptr);
  ASSERT_TRUE(box);
  EXPECT_EQ(releaseOver(box, IDNO), std::vector<std::string>{}) << "a single-line box is taken unasked";
  EXPECT_TRUE(Targets(box));
}

// Where DWM answers, the frame goes on the bounds the user sees, without the invisible
// resize borders that GetWindowRect takes in; where it does not (Wine's), on the
// window's rectangle.
HRESULT WINAPI BoundsWithoutResizeBorders(HWND window, DWORD attribute, void* value, DWORD size) {
  RECT r;
  if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS || size != sizeof(RECT) || !GetWindowRect(window, &r))
    return E_INVALIDARG;
  *static_cast<RECT*>(value) = {r.left + 7, r.top, r.right - 7, r.bottom - 7};
  return S_OK;
}
HRESULT WINAPI NoComposition(HWND, DWORD, void*, DWORD) { return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED); }

TEST_F(TargetPicker, FrameSitsOnTheBoundsDwmReports) {
  OwnWindow own(100, 620, 200, 120);
  const struct {
    const char* name;
    WindowAttributeFunction ask;
    RECT frame;
  } kCases[] = {
      {"DWM answers", BoundsWithoutResizeBorders, {107, 620, 293, 733}},
      {"DWM does not answer", NoComposition, {100, 620, 300, 740}},
      {"the system's own", nullptr, {100, 620, 300, 740}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    AskWindowAttributeWith(c.ask);
    WindowFrame frame;
    frame.Around(own.Handle());
    std::vector<HWND> edges;
    EnumThreadWindows(GetCurrentThreadId(), AddFrameEdge, reinterpret_cast<LPARAM>(&edges));
    ASSERT_EQ(edges.size(), 4u);
    RECT all = {}, edge;
    for (HWND e : edges) {
      GetWindowRect(e, &edge);
      UnionRect(&all, &all, &edge);
    }
    EXPECT_TRUE(EqualRect(&all, &c.frame)) << all.left << "," << all.top << "," << all.right << "," << all.bottom;
  }
  AskWindowAttributeWith(nullptr);
}


// However a pick is broken off, it gives back what it found: the choice and the title
// shown before it, the cursor, the screen without the frame, the main window off the top.
TEST_F(TargetPicker, EscALostCaptureAndTheMainWindowGoingCancelThePickAndRestoreEverything) {
  Standin standin;
  ASSERT_TRUE(standin.Handle());
  OwnWindow own(100, 620, 200, 120);
  const struct {
    const char* name;
    std::function<void()> breakOff;
    bool mainStays;
  } kWays[] = {
      {"Esc",
       [] {
         INPUT keys[2] = {};
         keys[0].type = keys[1].type = INPUT_KEYBOARD;
         keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
         keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
         SendInput(2, keys, sizeof(INPUT));
       },
       true},
      {"capture taken by another window", [&] { SetCapture(own.Handle()); }, true},
      {"main window closed", [] { ui::DestroyWindowNow(WindowKind::Main); }, false},
  };
  for (const auto& way : kWays) {
    SCOPED_TRACE(way.name);
    Target().Set(own.Handle());
    M<MainCtl::透明标签1>().SetText("窗口标题：before");
    StartPickOver(own);
    standin.PointAt();
    ASSERT_TRUE(PumpUntil([&] { return Picker().FramedWindow() == standin.Handle(); }));
    ASSERT_TRUE(Targets(own.Handle())) << "framed is hovered, target is earlier";
    ASSERT_EQ(FrameOver(standin.Handle()), kFramed);
    const HWND board = M<MainCtl::画板_捕获器>().Handle();

    way.breakOff();
    EXPECT_TRUE(PumpUntil([] { return !ui::WindowExists(WindowKind::Picker); }));
    EXPECT_FALSE(Picker().Picking());
    EXPECT_TRUE(Targets(own.Handle())) << "the choice before the pick";
    EXPECT_EQ(Picker().FramedWindow(), nullptr);
    EXPECT_EQ(FrameOver(standin.Handle()), kUnframed) << "the frame is taken away";
    EXPECT_EQ(CursorCount(), 0);
    EXPECT_NE(GetCapture(), board);
    if (way.mainStays) {
      EXPECT_EQ(M<MainCtl::透明标签1>().Text(), "窗口标题：before");
      EXPECT_FALSE(MainIsTopmost());
    }
    ReleaseCapture();
    ASSERT_TRUE(SetLeftButton(false));
  }
}

}  // namespace
