#include "online/update_page.h"

#include <array>

#include "text/gbk_text.h"

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  // A missing start marker gives nothing: a page without the section must not offer an
  // update from keys that happen to stand in it elsewhere.
  const int32_t p = gbk::Find(text, startMarker);
  if (p < 1) return {};
  const std::string_view rest = text.substr(static_cast<size_t>(p - 1) + startMarker.size());
  const int32_t q = gbk::Find(rest, endMarker);
  if (q <= 1) return {};
  return std::string(rest.substr(0, static_cast<size_t>(q - 1)));
}

namespace update_page {

std::string SectionOf(std::string_view body) {
  return TextBetween(gbk::BytesToText(body), kSectionStart, kSectionEnd);
}

std::string ValueOf(std::string_view section, std::string_view key) { return TextBetween(section, key, kValueEnd); }

bool IsYes(std::string_view value) { return value == kYes; }

UpdatePlan PlanUpdate(std::string_view section) {
  if (!IsPlainFileName(ValueOf(section, kProgramNameKey))) return {};
  return {IsYes(ValueOf(section, kForceKey)), IsYes(ValueOf(section, kPromptKey))};
}

UpdateCheck ReadUpdateCheck(std::string_view body) {
  UpdateCheck check;
  check.section = SectionOf(body);
  check.forceValue = ValueOf(check.section, kForceKey);
  check.promptValue = ValueOf(check.section, kPromptKey);
  check.plan = PlanUpdate(check.section);
  return check;
}

namespace {

bool IsForbiddenAscii(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

// Windows opens these devices whatever the extension: "NUL.exe" is the null device,
// and so is "NUL .exe".
bool IsDeviceName(std::string_view name) {
  std::string stem = gbk::ToUpperAscii(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kDevices)
    if (stem == device) return true;
  const bool numbered = stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
  return numbered && stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 255) return false;
  for (size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (gbk::IsLeadByte(c)) {
      // A lead byte without its trail at the very end is no character at all.
      if (i + 1 >= name.size()) return false;
      i += 2;
      continue;
    }
    if (IsForbiddenAscii(c)) return false;
    ++i;
  }
  // Windows drops trailing dots and spaces, so a name of nothing else names the folder.
  if (name.find_first_not_of(". ") == std::string_view::npos) return false;
  return !IsDeviceName(name);
}

}  // namespace update_page
