// Reading the update page: the section between its markers, the values of its keys,
// and what the start-up check does with them. No windows here, so that all of it runs natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "update/update_manifest.h"

// The bytes after the first startMarker up to the first endMarker after it. Empty when
// either marker is missing or nothing stands between them. Searches step from character
// start to character start, so a marker never matches from the middle of a character.
std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker);

namespace update_page {

inline constexpr char kPath[] = "/vodovuzedova/ravocap1.html";
inline constexpr char kSectionStart[] = "////开始";
inline constexpr char kSectionEnd[] = "////结束";
inline constexpr char kForceKey[] = "是否强制更新=";
inline constexpr char kPromptKey[] = "是否提示更新=";
inline constexpr char kAddressKey[] = "自动更新地址=";
inline constexpr char kProgramNameKey[] = "程序名字=";
inline constexpr char kValueEnd[] = "</p>";
inline constexpr char kYes[] = "是";

// The section of a fetched body (GBK bytes) as text: the body is cut at its first zero
// byte first.
std::string SectionOf(std::string_view body);
// The value of a key in a section: the exact bytes up to the next "</p>".
std::string ValueOf(std::string_view section, std::string_view key);
// Only the exact value "是" means yes.
bool IsYes(std::string_view value);

// What the start-up check does with a page: open the update window at once (forced),
// and, independently, ask afterwards (offered). Both are off when the page's program
// name could not safely be saved and started (file_name::IsPlainFileName).
struct UpdatePlan {
  bool openAtOnce = false;
  bool askAfterwards = false;
};
UpdatePlan PlanUpdate(std::string_view section);

// Everything the start-up check takes from one fetched body, read off the GUI thread
// and handed to it whole: the section, its two switches as written, the signed manifest
// when it may be trusted (update_manifest::TrustedManifest), and the plan the GUI thread
// carries out, which is "nothing" without a trusted manifest.
struct UpdateCheck {
  std::string section;
  std::string forceValue;
  std::string promptValue;
  std::optional<update_manifest::Manifest> manifest;
  UpdatePlan plan;
};
UpdateCheck ReadUpdateCheck(std::string_view body, const update_manifest::SignatureCheck& verify,
                            const update_manifest::Version& running);

}  // namespace update_page
