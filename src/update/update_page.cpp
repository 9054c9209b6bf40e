#include "update/update_page.h"

#include "text/encoding.h"
#include "text/file_name.h"
#include "text/utf8_text.h"

namespace update_page {

namespace {

// Why a section brings no trusted manifest, in the order TrustedManifest checks it.
Failure WhyUntrusted(std::string_view section, const update_manifest::SignatureCheck& verify,
                     const update_manifest::Version& running, std::string_view today) {
  const std::optional<update_manifest::Manifest> m = update_manifest::ReadManifest(section);
  // A signature without an expiry: signed the old way, which the maker signs again.
  if (!m && ValueOf(section, update_manifest::kExpiryKey).empty() &&
      !ValueOf(section, update_manifest::kSignatureKey).empty())
    return {"old signed form", FailureCause::Signature, 0};
  if (!m) return {"manifest", FailureCause::Signature, 0};
  if (!verify(update_manifest::CanonicalText(*m), m->signature)) return {"signature", FailureCause::Signature, 0};
  if (update_manifest::IsExpired(*m, today)) return {"expiry", FailureCause::Expired, 0};
  if (!update_manifest::IsNewer(m->versionNumbers, running)) return {"version", FailureCause::NotNewer, 0};
  return {"name", FailureCause::FileName, 0};
}

}  // namespace

std::string SectionOf(std::string_view body) {
  // The page is GBK, as the host has always written it; everything after this line
  // reads the program's own text.
  return TextBetween(enc::DecodeCodePage(utf8::BytesToText(body), enc::kGbk), kSectionStart, kSectionEnd);
}

bool IsYes(std::string_view value) { return value == kYes; }

UpdatePlan PlanUpdate(std::string_view section) {
  if (!file_name::IsPlainFileName(ValueOf(section, kProgramNameKey))) return {};
  return {IsYes(ValueOf(section, kForceKey)), IsYes(ValueOf(section, kPromptKey))};
}

UpdatePage ReadUpdatePage(std::string_view body, const update_manifest::SignatureCheck& verify,
                          const update_manifest::Version& running, std::string_view today) {
  UpdatePage page;
  page.section = SectionOf(body);
  page.forceValue = ValueOf(page.section, kForceKey);
  page.promptValue = ValueOf(page.section, kPromptKey);
  page.downloadAddress = ValueOf(page.section, kAddressKey);
  page.programName = ValueOf(page.section, kProgramNameKey);
  page.manifest = update_manifest::TrustedManifest(page.section, verify, running, today);
  // A page whose manifest is not validly signed, names no newer version or no plain
  // name is no update at all.
  if (page.manifest)
    page.plan = PlanUpdate(page.section);
  else
    page.failure = WhyUntrusted(page.section, verify, running, today);
  return page;
}

}  // namespace update_page
