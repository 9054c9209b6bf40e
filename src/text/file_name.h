// The one rule for file names that come from the network: lyric titles from the lyrics
// site and the update page's program name. No windows here, so that it runs natively.
//
// The name is read as code page 936 reads it: a byte of 0x81..0xFE followed by a byte of
// 0x40..0xFE other than 0x7F is one two-byte character (so a trail byte of 0x5C or 0x7C
// is part of its character, not a separator or a bar); every other byte stands alone.
// 0x80 (the euro sign) is a character of its own; 0xFF and a lead byte without a valid
// trail byte are no character at all, and a lead byte never takes a zero or control
// byte as its trail.
#pragma once

#include <string>
#include <string_view>

namespace file_name {

// Longest name, in bytes, that the program saves.
inline constexpr size_t kMaxNameBytes = 255;

// True when name is a plain file name that Windows saves in the given folder and nowhere
// else, exactly as written: not empty, at most kMaxNameBytes bytes, no byte that is no
// character, no folder separator, drive or stream colon, none of the characters Windows
// forbids in names (control characters and <>:"/\|?*), not "." or ".." or anything else
// made only of dots and spaces, and not a device name (see NamesDevice).
bool IsPlainFileName(std::string_view name);

// The name a text from the network is saved under, extension appended (".lrc"), made
// harmless instead of refused: every byte that IsPlainFileName would refuse becomes "_",
// a name that names a device gets a leading "_", and a name longer than kMaxNameBytes is
// shortened at a character boundary before the extension. Empty when the text is made
// only of dots and spaces (or is empty): such a name would name the folder itself.
std::string SafeFileName(std::string_view text, std::string_view extension);

// True when Windows opens a device for this name whatever its extension: CON, PRN, AUX,
// NUL, COM0..COM9, LPT0..LPT9, CONIN$, CONOUT$ and CLOCK$, in any case, before the
// first dot, trailing spaces ignored ("nul.exe", "Con .txt").
bool NamesDevice(std::string_view name);

}  // namespace file_name
