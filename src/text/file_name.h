// The one rule for file names that come from the network: lyric titles from the lyrics
// site and the update page's program name. No windows here, so that it runs natively.
//
// The name is UTF-8 text: a byte that starts no valid UTF-8 sequence is no character
// at all; every valid character other than the ones Windows forbids may stand in a name.
// Lengths are counted as Windows counts them, in UTF-16 units.
#pragma once

#include <string>
#include <string_view>

namespace file_name {

// Longest name, in UTF-16 units, that the program saves.
inline constexpr size_t kMaxNameUnits = 255;

// True when name is a plain file name that Windows saves in the given folder and nowhere
// else, exactly as written: not empty, at most kMaxNameUnits UTF-16 units, no byte that is no
// character, no folder separator, drive or stream colon, none of the characters Windows
// forbids in names (control characters and <>:"/\|?*), not "." or ".." or anything else
// made only of dots and spaces, and not a device name (see NamesDevice).
bool IsPlainFileName(std::string_view name);

// The name a text from the network is saved under, extension appended (".lrc"), made
// harmless instead of refused: every byte that IsPlainFileName would refuse becomes "_",
// a name that names a device gets a leading "_", and a name longer than kMaxNameUnits is
// shortened at a character boundary before the extension. Empty when the text is made
// only of dots and spaces (or is empty): such a name would name the folder itself.
std::string SafeFileName(std::string_view text, std::string_view extension);

// True when Windows opens a device for this name whatever its extension: CON, PRN, AUX,
// NUL, COM0..COM9, LPT0..LPT9 (and COM¹ ² ³, LPT¹ ² ³), CONIN$, CONOUT$ and CLOCK$, in any case, before the
// first dot, trailing spaces ignored ("nul.exe", "Con .txt").
bool NamesDevice(std::string_view name);

}  // namespace file_name
