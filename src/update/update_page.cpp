#include "update/update_page.h"

#include "text/encoding.h"
#include "text/file_name.h"
#include "text/utf8_text.h"

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker) {
  // A missing start marker gives nothing: a page without the section must not offer an
  // update from keys that happen to stand in it elsewhere.
  const int32_t p = utf8::Find(text, startMarker);
  if (p < 1) return {};
  const std::string_view rest = text.substr(static_cast<size_t>(p - 1) + startMarker.size());
  const int32_t q = utf8::Find(rest, endMarker);
  if (q <= 1) return {};
  return std::string(rest.substr(0, static_cast<size_t>(q - 1)));
}

namespace update_page {

std::string SectionOf(std::string_view body) {
  // The page is GBK, as the host has always written it; everything after this line
  // reads the program's own text.
  return TextBetween(enc::DecodeCodePage(utf8::BytesToText(body), enc::kGbk), kSectionStart, kSectionEnd);
}

std::string ValueOf(std::string_view section, std::string_view key) { return TextBetween(section, key, kValueEnd); }

bool IsYes(std::string_view value) { return value == kYes; }

UpdatePlan PlanUpdate(std::string_view section) {
  if (!file_name::IsPlainFileName(ValueOf(section, kProgramNameKey))) return {};
  return {IsYes(ValueOf(section, kForceKey)), IsYes(ValueOf(section, kPromptKey))};
}

UpdateCheck ReadUpdateCheck(std::string_view body, const update_manifest::SignatureCheck& verify,
                             const update_manifest::Version& running) {
  UpdateCheck check;
  check.section = SectionOf(body);
  check.forceValue = ValueOf(check.section, kForceKey);
  check.promptValue = ValueOf(check.section, kPromptKey);
  check.manifest = update_manifest::TrustedManifest(check.section, verify, running);
  // A page whose manifest is not validly signed, names no newer version or no plain
  // name is no update at all.
  if (check.manifest) check.plan = PlanUpdate(check.section);
  return check;
}

}  // namespace update_page
