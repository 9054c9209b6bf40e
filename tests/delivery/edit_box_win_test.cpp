// Delivery into an ordinary program's text box: a standard edit or rich-edit control on a
// thread of its own whose loop translates key messages, as every ordinary program's loop
// does. What stands in the box once that thread has taken everything is read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "delivery/target_window.h"
#include "delivery/text_delivery.h"
#include "support/win_test_support.h"
#include "text/encoding.h"
#include "win/owners.h"

namespace {

class EditBoxProgram {
 public:
  EditBoxProgram(const wchar_t* boxClass, bool unicode) : idle_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([&] { Run(boxClass, unicode, ready.Get()); });
    WaitForSingleObject(ready.Get(), INFINITE);
  }
  ~EditBoxProgram() {
    PostMessageW(top_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  EditBoxProgram(const EditBoxProgram&) = delete;
  EditBoxProgram& operator=(const EditBoxProgram&) = delete;

  HWND Box() const { return box_; }

  // The box's text once the program has taken everything posted to it, the characters
  // its own TranslateMessage posted meanwhile included: a marker that queues itself once
  // more comes after those.
  std::string Text() {
    PostMessageW(top_, kMarker, 1, 0);
    EXPECT_EQ(WaitForSingleObject(idle_.Get(), 10000), WAIT_OBJECT_0);
    wchar_t text[1024] = {};
    SendMessageW(box_, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return enc::Narrow(text);
  }

 private:
  static constexpr UINT kMarker = WM_APP + 9;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMarker) {
      auto* self = reinterpret_cast<EditBoxProgram*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (wParam > 0) {
        PostMessageW(hwnd, kMarker, wParam - 1, 0);
      } else {
        SetEvent(self->idle_.Get());
      }
      return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  void Run(const wchar_t* boxClass, bool unicode, HANDLE ready) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrdinaryProgram";
    RegisterClassW(&wc);
    top_ = CreateWindowExW(0, wc.lpszClassName, L"program", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrW(top_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (unicode) {
      box_ = CreateWindowExW(0, boxClass, L"an old nickname", style, 10, 10, 300, 24, top_, nullptr, wc.hInstance, nullptr);
    } else {
      box_ = CreateWindowExA(0, enc::Narrow(boxClass).c_str(), "an old nickname", style, 10, 10, 300, 24, top_, nullptr,
                             wc.hInstance, nullptr);
    }
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  UniqueHandle idle_;
  HWND top_ = nullptr;
  HWND box_ = nullptr;
  std::thread thread_;
};

// Each line stands in the box alone and whole, a long one followed by a short one too,
// in the edit boxes of Unicode and ANSI programs and in a rich-edit box.
TEST(EditBox, EachTextStandsAloneAndWhole) {
  static const HMODULE richEdit = LoadLibraryW(L"riched20.dll");
  ASSERT_NE(richEdit, nullptr);
  const struct {
    const wchar_t* boxClass;
    bool unicode;
    // (Wine's ANSI rich edit takes no double-byte characters: RichEdit20A is left out.)
  } kBoxes[] = {{L"Edit", true}, {L"Edit", false}, {L"RichEdit20W", true}};
  const std::string lines[] = {"<00:01.00>Twinkle <00:01.40>twinkle <00:01.80>little <00:02.20>star", "短 line",
                               "\t第三行\x01", ""};
  // An empty line types nothing and erases nothing.
  const std::string stands[] = {lines[0], "短 line", " 第三行", " 第三行"};
  for (const auto& box : kBoxes) {
    EditBoxProgram program(box.boxClass, box.unicode);
    SCOPED_TRACE(enc::Narrow(box.boxClass) + (box.unicode ? " (Unicode)" : " (ANSI)"));
    ASSERT_NE(program.Box(), nullptr);
    EXPECT_TRUE(IsEditControl(program.Box()));
    TargetWindow target;
    target.Set(program.Box());
    for (size_t i = 0; i < std::size(lines); ++i) {
      EXPECT_TRUE(DeliverText(target, lines[i], 1));
      EXPECT_EQ(program.Text(), stands[i]) << lines[i];
    }
  }
}

}  // namespace
