// The values of the update page's section: each "key=" is followed by its value up to
// "</p>". Read by the page (update/update_page.h) and by its signed part
// (update/update_manifest.h). No windows here, so that all of it runs natively.
#pragma once

#include <string>
#include <string_view>

// The bytes after the first startMarker up to the first endMarker after it. Empty when
// either marker is missing or nothing stands between them. Searches step from character
// start to character start, so a marker never matches from the middle of a character.
std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker);

namespace update_page {

inline constexpr char kValueEnd[] = "</p>";
// The new program's file name: a switch of the page and a value its signature covers.
inline constexpr char kProgramNameKey[] = "程序名字=";
inline constexpr char kForceKey[] = "是否强制更新=";
inline constexpr char kPromptKey[] = "是否提示更新=";
inline constexpr char kAddressKey[] = "自动更新地址=";

// The value of a key in a section: the exact bytes up to the next "</p>".
std::string ValueOf(std::string_view section, std::string_view key);

}  // namespace update_page
