// The file-name rule for names from the network: one table, each name read as an update's
// program name (accepted or refused as written) and as a lyric title (saved as ".lrc").
#include "text/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
  const char* what;
  std::string name;
  bool plain;          // accepted as the update's program name
  std::string lyric;   // the name a lyric of this title is saved under ("" : not saved)
};

const std::string k251(251, 'a');  // 251 + ".lrc" = 255 bytes

const NameCase kNames[] = {
    {"plain", "RavoNew.exe", true, "RavoNew.exe.lrc"},
    {"spaces and dots inside", "new version v1.2", true, "new version v1.2.lrc"},
    {"leading space", " new.exe", true, " new.exe.lrc"},
    {"GBK", "山间小路", true, "山间小路.lrc"},
    {"no extension", "noextension", true, "noextension.lrc"},
    {"longer than a device", "CONSOLE.exe", true, "CONSOLE.exe.lrc"},
    {"COM without digit", "COMX", true, "COMX.lrc"},
    // Two-byte characters whose trail bytes are '\' and '|' stay whole.
    {"trail byte backslash", "\x81\x5C.exe", true, "\x81\x5C.exe.lrc"},
    {"trail byte bar", "\x81\x7C.exe", true, "\x81\x7C.exe.lrc"},
    // 0x80 is a character of its own: the pair after it is D0 5C, not 80 D0 and a '\'.
    {"euro then a pair", "\x80\xD0\x5C", true, "\x80\xD0\x5C.lrc"},
    {"0xFF before a slash", "\xFF/evil.exe", false, "__evil.exe.lrc"},
    {"0x80 before a backslash", "\x80\\evil.exe", false, "\x80_evil.exe.lrc"},
    {"0x80 before a colon", "\x80:evil.exe", false, "\x80_evil.exe.lrc"},
    {"0xFF alone", "a\xFF", false, "a_.lrc"},
    {"lead byte before a slash", "\x81/x", false, "__x.lrc"},
    {"lead byte at the end", "ab\x81", false, "ab_.lrc"},
    {"lead byte never takes a zero byte", std::string("a\x81\0.exe", 7), false, "a__.exe.lrc"},
    {"lead byte never takes a control byte", "a\xB1\n.exe", false, "a__.exe.lrc"},
    {"empty", "", false, ""},
    {"one dot", ".", false, ""},
    {"two dots", "..", false, ""},
    {"dots and spaces", " . ", false, ""},
    {"parent folder", "..\\evil.exe", false, ".._evil.exe.lrc"},
    {"slash", "sub/evil.exe", false, "sub_evil.exe.lrc"},
    {"drive", "C:\\Windows\\x", false, "C__Windows_x.lrc"},
    {"UNC", "\\\\host\\x", false, "__host_x.lrc"},
    {"stream", "new.exe:stream", false, "new.exe_stream.lrc"},
    {"forbidden characters", "<>\"|?*", false, "______.lrc"},
    {"control bytes", "a\tb\r\nc", false, "a_b__c.lrc"},
    {"delete byte", "a\x7F", false, "a_.lrc"},
    // Devices, whatever the extension and case.
    {"NUL", "NUL", false, "_NUL.lrc"},
    {"nul with extension", "nul.exe", false, "_nul.exe.lrc"},
    {"Con", "Con.txt", false, "_Con.txt.lrc"},
    {"AUX with spaces", "AUX .exe", false, "_AUX .exe.lrc"},
    {"PRN", "prn", false, "_prn.lrc"},
    {"COM0", "COM0.exe", false, "_COM0.exe.lrc"},
    {"COM9", "com9", false, "_com9.lrc"},
    {"LPT0", "lpt0.exe", false, "_lpt0.exe.lrc"},
    {"LPT9", "LPT9", false, "_LPT9.lrc"},
    {"CONIN$", "conin$", false, "_conin$.lrc"},
    {"CONOUT$", "CONOUT$.exe", false, "_CONOUT$.exe.lrc"},
    {"CLOCK$", "clock$", false, "_clock$.lrc"},
    {"device with a colon", "con:", false, "con_.lrc"},
    // Long names: refused for updates, shortened for lyrics (".lrc" kept, 255 bytes at most).
    {"255 bytes", std::string(255, 'a'), true, k251 + ".lrc"},
    {"256 bytes", std::string(256, 'a'), false, k251 + ".lrc"},
    {"long GBK name is cut between characters", "xy" + std::string(300, '\xB0'), false,
     "xy" + std::string(248, '\xB0') + ".lrc"},
    {"long device name keeps its underscore", "CON" + std::string(300, ' ') + ".txt", false,
     "_CON" + std::string(247, ' ') + ".lrc"},
};

TEST(FileNameRule, UpdateNamesAndLyricNames) {
  for (const NameCase& c : kNames) {
    EXPECT_EQ(file_name::IsPlainFileName(c.name), c.plain) << c.what;
    const std::string saved = file_name::SafeFileName(c.name, ".lrc");
    EXPECT_EQ(saved, c.lyric) << c.what;
    // Whatever the title, the saved name passes the update's own rule.
    if (!saved.empty()) {
      EXPECT_TRUE(file_name::IsPlainFileName(saved)) << c.what;
    }
  }
}

}  // namespace
