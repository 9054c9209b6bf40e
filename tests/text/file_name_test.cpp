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

const std::string k251(251, 'a');  // 251 + ".lrc" = 255 UTF-16 units
const std::string kBeyondBmp = "𠮷";  // U+20BB7: four bytes, two UTF-16 units

std::string Times(size_t n, const std::string& s) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += s;
  return out;
}

const NameCase kNames[] = {
    {"plain", "RavoNew.exe", true, "RavoNew.exe.lrc"},
    {"spaces and dots inside", "new version v1.2", true, "new version v1.2.lrc"},
    {"leading space", " new.exe", true, " new.exe.lrc"},
    {"Chinese", "山间小路", true, "山间小路.lrc"},
    {"beyond the BMP", "a" + kBeyondBmp, true, "a" + kBeyondBmp + ".lrc"},
    {"no extension", "noextension", true, "noextension.lrc"},
    {"longer than a device", "CONSOLE.exe", true, "CONSOLE.exe.lrc"},
    {"COM without digit", "COMX", true, "COMX.lrc"},
    // Full-width forms are characters of their own, never folded to what they look like.
    {"full-width look-alikes", "ａ＼ｂ｜ｃ：／＊？.exe", true, "ａ＼ｂ｜ｃ：／＊？.exe.lrc"},
    {"full-width device name", "ＣＯＮ", true, "ＣＯＮ.lrc"},
    // A byte that starts no valid sequence is no character, and takes none of the bytes
    // after it.
    {"cut-off character then a character", "\xE4\xB8中", false, "__中.lrc"},
    {"0xFF before a slash", "\xFF/evil.exe", false, "__evil.exe.lrc"},
    {"0x80 before a backslash", "\x80\\evil.exe", false, "__evil.exe.lrc"},
    {"0x80 before a colon", "\x80:evil.exe", false, "__evil.exe.lrc"},
    {"0xFF alone", "a\xFF", false, "a_.lrc"},
    {"lead byte before a slash", "\xC3/x", false, "__x.lrc"},
    {"cut-off character at the end", "ab\xE4\xB8", false, "ab__.lrc"},
    {"lead byte never takes a zero byte", std::string("a\xC3\0.exe", 7), false, "a__.exe.lrc"},
    {"lead byte never takes a control byte", "a\xE4\n.exe", false, "a__.exe.lrc"},
    {"overlong slash", "a\xC0\xAF" "b", false, "a__b.lrc"},
    {"encoded surrogate", "a\xED\xA0\x80", false, "a___.lrc"},
    // The bounds of the encoding: the last character of Unicode and the highest trail
    // byte are characters; a lead byte before DEL, or a sequence beyond U+10FFFF, is not.
    {"the last character of Unicode", "a\xF4\x8F\xBF\xBF", true, "a\xF4\x8F\xBF\xBF.lrc"},
    {"lead byte before DEL", "a\xC3\x7F", false, "a__.lrc"},
    {"beyond U+10FFFF", "a\xF4\x90\x80\x80", false, "a____.lrc"},
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
    {"last control byte", "a\x1F", false, "a_.lrc"},
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
    {"COM superscript one", "COM¹.exe", false, "_COM¹.exe.lrc"},
    {"COM superscript two", "COM².exe", false, "_COM².exe.lrc"},
    {"lpt superscript three", "lpt³", false, "_lpt³.lrc"},
    {"COM superscript four is no device", "COM⁴", true, "COM⁴.lrc"},
    {"CONIN$", "conin$", false, "_conin$.lrc"},
    {"CONOUT$", "CONOUT$.exe", false, "_CONOUT$.exe.lrc"},
    {"CLOCK$", "clock$", false, "_clock$.lrc"},
    {"device with a colon", "con:", false, "con_.lrc"},
    // Long names: refused for updates, shortened for lyrics (".lrc" kept, 255 UTF-16 units
    // at most, whatever the bytes).
    {"255 units", std::string(255, 'a'), true, k251 + ".lrc"},
    {"256 units", std::string(256, 'a'), false, k251 + ".lrc"},
    {"a replaced character counts as one unit", "?" + std::string(251, 'a'), false, "_" + std::string(250, 'a') + ".lrc"},
    {"255 units in 765 bytes", Times(255, "中"), true, Times(251, "中") + ".lrc"},
    {"last character beyond the BMP, 255 units", std::string(253, 'a') + kBeyondBmp, true, k251 + ".lrc"},
    {"last character beyond the BMP, 256 units", std::string(254, 'a') + kBeyondBmp, false, k251 + ".lrc"},
    {"lyric name of 255 units ending beyond the BMP", std::string(249, 'a') + kBeyondBmp, true,
     std::string(249, 'a') + kBeyondBmp + ".lrc"},
    {"character beyond the BMP cut whole", std::string(250, 'a') + kBeyondBmp, true,
     std::string(250, 'a') + ".lrc"},
    {"long Chinese name is cut between characters", "xy" + Times(300, "中"), false,
     "xy" + Times(249, "中") + ".lrc"},
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
