// The top strip names the window a pick chose: "目标：" and its top-level window's title on
// the second line of the help beside the crosshair, cut to fit, whole in the crosshair's
// tip; with no window (none chosen, or gone) the help of the layout again.
#include "delivery/target_display.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "layout/program_windows.h"
#include "support/win_test_support.h"
#include "text/encoding.h"

namespace {

const char kHelp[] = "←拖动到要字幕的地方\r\n(昵称处或者需要字幕的地方)";

struct TitledWindow {
  explicit TitledWindow(const std::string& title)
      : top(CreateWindowExW(0, L"STATIC", enc::Wide(title).c_str(), WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                            nullptr, nullptr)),
        field(CreateWindowExW(0, L"EDIT", L"my nickname", WS_CHILD, 0, 0, 200, 20, top, nullptr, nullptr, nullptr)) {}
  ~TitledWindow() { DestroyWindow(top); }
  HWND top, field;
};

TEST(TargetDisplay, NamesThePickedWindowCutToFit) {
  MainWindowFixture window;
  const auto help = M<MainCtl::标签1>();
  const auto board = M<MainCtl::画板_捕获器>();
  struct Case {
    std::string title;
    bool cut;
  };
  const std::string longTitle = "聊天室 — " + std::string(120, 'W') + " 😀";
  for (const Case& c : {Case{"Ravo Chat Stand-in", false}, Case{"语音房间", false}, Case{longTitle, true}}) {
    SCOPED_TRACE(c.title);
    TitledWindow picked(c.title);
    TargetWindow target;
    target.Set(picked.field);  // the field: its top-level window's title is shown
    ShowChosenTarget(target);
    const std::string shown = help.Text();
    const std::string firstLine = "←拖动到要字幕的地方\r\n";
    ASSERT_EQ(shown.substr(0, firstLine.size()), firstLine);
    const std::string named = shown.substr(firstLine.size());
    EXPECT_EQ(board.ToolTip(), "目标：" + c.title);
    if (c.cut) {
      EXPECT_EQ(named.substr(0, 9), "目标：");
      EXPECT_LT(named.size(), ("目标：" + c.title).size());
      EXPECT_EQ(named.substr(named.size() - 3), "…");
      EXPECT_EQ(help.CutToWidth(named), named) << "the cut line does not fit";
    } else {
      EXPECT_EQ(named, "目标：" + c.title);
    }
    DestroyWindow(picked.top);
    ShowChosenTarget(target);  // the window has gone
    EXPECT_EQ(help.Text(), kHelp);
    EXPECT_EQ(board.ToolTip(), "");
  }
}

}  // namespace
