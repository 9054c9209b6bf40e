// Text delivery seen from the receiving side: a recording window on a thread of its own
// plays the foreign program. Its loop has no TranslateMessage, so it sees exactly what
// was posted, byte by byte, in the order the target's queue holds it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win/owners.h"
#include "layout/program_windows.h"
#include "delivery/text_delivery.h"
#include "support/later_on_this_thread.h"
#include "support/recording_window.h"
#include "support/win_test_support.h"
#include "text/encoding.h"
#include "text/utf8_text.h"

namespace {

std::vector<Msg> InputOnly(const std::vector<Msg>& log) {
  std::vector<Msg> input;
  for (const Msg& m : log)
    if (IsInput(m.message)) input.push_back(m);
  return input;
}

// What the target must receive, written out from the contract with the chat client.
std::vector<Msg> Click(int x, int y) {
  const LPARAM at = x + 65536 * y;
  return {{WM_MOUSEMOVE, 2, at}, {WM_LBUTTONDOWN, 1, at}, {WM_LBUTTONUP, 0, at}};
}

std::vector<Msg> Backspaces() { return std::vector<Msg>(30, Msg{WM_KEYDOWN, VK_BACK, 1}); }

// What an ANSI window receives for a text: the bytes of the system's code page.
std::vector<Msg> Chars(const std::string& text, LPARAM lParam) {
  std::vector<Msg> chars;
  for (unsigned char b : enc::EncodeCodePage(text, enc::kSystem)) chars.push_back({WM_CHAR, b, lParam});
  return chars;
}

std::vector<Msg> Join(std::initializer_list<std::vector<Msg>> parts) {
  std::vector<Msg> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<Msg> WholeDelivery(const std::string& text, LPARAM charLParam) {
  return Join({Click(298, 124), Backspaces(), Chars(text, charLParam), Click(301, 164), Click(301, 164)});
}

// Index of the first message m in log, or -1.
int IndexOf(const std::vector<Msg>& log, UINT m) {
  for (size_t i = 0; i < log.size(); ++i)
    if (log[i].message == m) return static_cast<int>(i);
  return -1;
}

int IndexOfFirstInput(const std::vector<Msg>& log) {
  for (size_t i = 0; i < log.size(); ++i)
    if (IsInput(log[i].message)) return static_cast<int>(i);
  return -1;
}

class TextDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    target.Take();  // creation messages are no part of any delivery
    to.Set(target.Handle());
  }

  MainWindowFixture window;
  Recorder target;
  TargetWindow to;
};

TargetWindow TargetOf(HWND window) {
  TargetWindow target;
  target.Set(window);
  return target;
}

TEST_F(TextDelivery, FocusesThenClicksErasesTypesAndCommitsTwice) {
  // Characters whose GBK trail bytes are 0x5C and 0x7C, and control characters, which
  // are never typed (a tab becomes a space).
  const std::string text = "中文 a昞亅\x01\t\r\nZ\x16";
  DeliverText(to, text, 1);
  const std::vector<Msg> log = target.Take();

  const std::vector<Msg> input = InputOnly(log);
  EXPECT_EQ(input, WholeDelivery("中文 a昞亅 Z", 1));
  // An ANSI window gets the bytes of its system's code page, lead byte first.
  const struct {
    UINT codePage;
    std::vector<unsigned> bytes;
  } kTyped[] = {
      {936, {0xD6, 0xD0, 0xCE, 0xC4, ' ', 'a', 0x95, 0x5C, 0x81, 0x7C, ' ', 'Z'}},
      {950, {0xA4, 0xA4, 0xA4, 0xE5, ' ', 'a', '?', '?', ' ', 'Z'}},
      {1252, {'?', '?', ' ', 'a', '?', '?', ' ', 'Z'}},
  };
  for (const auto& c : kTyped) {
    if (c.codePage != GetACP()) continue;
    std::vector<Msg> chars;
    for (unsigned b : c.bytes) chars.push_back({WM_CHAR, b, 1});
    ASSERT_EQ(input.size(), 39u + chars.size());
    EXPECT_EQ(std::vector<Msg>(input.begin() + 33, input.end() - 6), chars);
  }
  const int focus = IndexOf(log, WM_SETFOCUS);
  ASSERT_NE(focus, -1) << "the target never got the keyboard focus";
  EXPECT_LT(focus, IndexOfFirstInput(log));
}

// A Unicode window gets UTF-16 units whatever the system's code page: characters no
// Chinese code page has, and one beyond the BMP as its two surrogates.
TEST_F(TextDelivery, AUnicodeWindowGetsUtf16Units) {
  Recorder unicode(Recorder::Unicode);
  unicode.Take();
  TargetWindow toUnicode = TargetOf(unicode.Handle());
  DeliverText(toUnicode, "月亮😀가é", 1);
  std::vector<Msg> chars;
  for (unsigned unit : {0x6708u, 0x4EAEu, 0xD83Du, 0xDE00u, 0xAC00u, 0xE9u}) chars.push_back({WM_CHAR, unit, 1});
  EXPECT_EQ(InputOnly(unicode.Take()), Join({Click(298, 124), Backspaces(), chars, Click(301, 164), Click(301, 164)}));
}

// A target that does not answer gets nothing, not even the focus; once it answers again
// the next delivery reaches it whole.
TEST_F(TextDelivery, AHungTargetGetsNothingAndTheNextTextWhenItAnswers) {
  target.Hang(1500);
  EXPECT_FALSE(DeliverText(to, "stale", 1));
  const std::vector<Msg> whileHung = target.Take();  // waits for the hang to end
  EXPECT_EQ(InputOnly(whileHung), std::vector<Msg>{});
  EXPECT_EQ(IndexOf(whileHung, WM_SETFOCUS), -1);
  EXPECT_TRUE(DeliverText(to, "fresh", 1));
  EXPECT_EQ(InputOnly(target.Take()), WholeDelivery("fresh", 1));
}

// A text that types as nothing leaves the field as it is: erasing it would only blank
// the nickname. A blank billboard row, format characters only, control characters only.
TEST_F(TextDelivery, TextThatTypesAsNothingErasesNothing) {
  for (const char* text : {"", "\xE2\x80\x8B\xE2\x80\x8E\xE2\x80\x8F", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_TRUE(DeliverText(to, text, 1)) << "nothing to write is no failure to retry";
    EXPECT_EQ(target.Take(), std::vector<Msg>{});
  }
}

// During a pick nothing reaches any window, and a nickname restore waits for its end.
TEST_F(TextDelivery, APickUnderWayHoldsDeliveriesAndTheRestore) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框6>().SetText("Me");
  to.SetPickUnderWay(true);
  EXPECT_FALSE(DeliverText(to, "ab", 1)) << "taken as from a hung target, to be retried";
  RestoreNickname(to);
  EXPECT_EQ(target.Take(), std::vector<Msg>{});
  to.SetPickUnderWay(false);
  ASSERT_TRUE(to.TakeHeldRestore());
  EXPECT_FALSE(to.TakeHeldRestore()) << "held once";
}

// A delivery runs none of the tool's own messages: a click or a tick waiting in the
// queue runs after it, never in the middle of it.
TEST_F(TextDelivery, RunsNoneOfTheToolsMessagesInItsMiddle) {
  LaterOnThisThread queued([] {});
  queued.Post();
  DeliverText(to, "ab", 1);
  EXPECT_EQ(queued.runs, 0);
  EXPECT_EQ(InputOnly(target.Take()), WholeDelivery("ab", 1));
  EXPECT_EQ(queued.runs, 1) << "dispatched by the loop afterwards";
}

TEST_F(TextDelivery, RestoreNicknamePostsNothingWhenNotAsked) {
  M<MainCtl::选择框1>().SetChecked(false);
  M<MainCtl::编辑框6>().SetText("马甲");
  RestoreNickname(to);
  EXPECT_EQ(target.Take(), std::vector<Msg>{});
}

TEST_F(TextDelivery, RestoreNicknameWritesTheNicknameWithLParamZero) {
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框6>().SetText("马甲x");
  RestoreNickname(to);
  const std::vector<Msg> log = target.Take();
  EXPECT_EQ(InputOnly(log), WholeDelivery("马甲x", 0));
  EXPECT_NE(IndexOf(log, WM_SETFOCUS), -1);

  // No nickname typed: the one in the room stays as it is.
  M<MainCtl::编辑框6>().SetText("");
  RestoreNickname(to);
  EXPECT_EQ(InputOnly(target.Take()), std::vector<Msg>{});
}

// Messages posted with a null handle are thread messages of the poster: they land in
// this thread's own queue, where a hook sees them being taken out.
std::vector<Msg>* g_ownQueue = nullptr;

LRESULT CALLBACK WatchOwnQueue(int code, WPARAM removal, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && g_ownQueue && !msg->hwnd && IsInput(msg->message))
    g_ownQueue->push_back({msg->message, msg->wParam, msg->lParam});
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// No window chosen, a pick that found none, or a window gone since: nothing is clicked
// or typed anywhere, neither into the desktop nor into the tool's own queue.
TEST_F(TextDelivery, NoWindowGetsNothingAndNothingGoesElsewhere) {
  HWND gone = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  TargetWindow none, noWindow = TargetOf(nullptr), goneWindow = TargetOf(gone);
  std::vector<Msg> ownQueue;
  g_ownQueue = &ownQueue;
  UniqueHook hook;
  hook.Reset(SetWindowsHookExA(WH_GETMESSAGE, WatchOwnQueue, nullptr, GetCurrentThreadId()));
  ASSERT_NE(hook.Get(), nullptr);
  for (TargetWindow* t : {&none, &noWindow, &goneWindow}) EXPECT_FALSE(DeliverText(*t, "ab", 1));
  M<MainCtl::选择框1>().SetChecked(true);
  M<MainCtl::编辑框6>().SetText("nick");
  RestoreNickname(noWindow);
  const std::vector<Msg> recorded = target.Take();  // also pumps what is left here
  hook.Reset();
  g_ownQueue = nullptr;
  EXPECT_EQ(InputOnly(recorded), std::vector<Msg>{});
  EXPECT_EQ(ownQueue, std::vector<Msg>{});
}

// The chat client's field as the posted messages leave it: a click at the edit point
// opens it, a Backspace key-down erases a character, a character is appended, the
// commit click closes it.
std::u16string ChatFieldAfter(const std::vector<Msg>& log, std::u16string field) {
  const LPARAM edit = 298 + 65536 * 124, commit = 301 + 65536 * 164;
  bool open = false;
  for (const Msg& m : log) {
    if (m.message == WM_LBUTTONDOWN) open = m.lParam == edit || (open && m.lParam != commit);
    if (open && m.message == WM_KEYDOWN && m.wParam == VK_BACK && !field.empty()) field.pop_back();
    if (open && m.message == WM_CHAR) field += static_cast<char16_t>(m.wParam);
  }
  return field;
}

// A line longer than 30 characters is erased whole by the next delivery, however long
// the line the tool typed before it.
TEST_F(TextDelivery, TheNextTextErasesAllTheToolTypedLast) {
  Recorder unicode(Recorder::Unicode);
  unicode.Take();
  TargetWindow chat = TargetOf(unicode.Handle());
  const std::string longLine = "<00:01.00>Twinkle <00:01.40>twinkle <00:01.80>little <00:02.20>stars";
  ASSERT_EQ(longLine.size(), 68u);
  std::u16string field = ChatFieldAfter(unicode.Take(), u"someone's nickname");
  DeliverText(chat, longLine, 1);
  field = ChatFieldAfter(unicode.Take(), field);
  EXPECT_EQ(field, enc::Utf8ToUtf16(longLine));
  DeliverText(chat, "月亮", 1);
  EXPECT_EQ(ChatFieldAfter(unicode.Take(), field), u"月亮");
}

// A line of any length is cut to what a nickname field holds, at a character: a bounded
// number of messages, and the commit clicks still come.
TEST_F(TextDelivery, AVeryLongLineIsCutToTheFieldsBound) {
  Recorder unicode(Recorder::Unicode);
  unicode.Take();
  TargetWindow chat = TargetOf(unicode.Handle());
  std::string line = "a";
  for (int i = 1; i < 100000; ++i) line += "月";  // one unit each
  line += "😀";
  EXPECT_TRUE(DeliverText(chat, line, 1));
  const std::vector<Msg> log = unicode.Take();
  const std::vector<ReceivedText> texts = ReceivedTexts(log);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(enc::Utf8ToUtf16(texts[0].text).size(), kMaxTypedUnits);
  EXPECT_EQ(texts[0].text, utf8::Left(line, 1 + 3 * (kMaxTypedUnits - 1)));
  EXPECT_EQ(InputOnly(log).size(), 39u + kMaxTypedUnits);
  DeliverText(chat, "short", 1);
  EXPECT_EQ(ChatFieldAfter(unicode.Take(), enc::Utf8ToUtf16(texts[0].text)), u"short");
}

// The system's conversion for an ANSI window, on every code page: UTF-8 (the system code
// page where the "Unicode UTF-8" option is on) and UTF-7 take no flags and no default
// character (Windows refuses both for UTF-8, Wine for UTF-7 only).
TEST(EncodeCodePage, EveryCodePageGivesItsBytes) {
  const struct {
    unsigned codePage;
    std::string text;
    std::string bytes;
    bool complete;
  } kCases[] = {
      {65001, "中文 é😀", "中文 é😀", true},
      {936, "中文 é가", "\xD6\xD0\xCE\xC4 \xA8\xA6?", false},
      {1252, "é中", "\xE9?", false},
      {65001, "", "", true},
      {65000, "a中", "a+Ti0-", true},
  };
  for (const auto& c : kCases) {
    bool complete = !c.complete;
    EXPECT_EQ(enc::EncodeCodePage(c.text, c.codePage, &complete), c.bytes) << c.codePage << " " << c.text;
    EXPECT_EQ(complete, c.complete) << c.codePage << " " << c.text;
  }
}

}  // namespace
