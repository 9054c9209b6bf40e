// Reading the update page: its section between the markers, the values of its keys, its
// signed manifest and what the start-up check does with them, in one UpdatePage that
// serves the check at start-up and the update window alike. No windows here, so that all
// of it runs natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "update/page_values.h"
#include "update/update_manifest.h"
#include "win/failure_record.h"

namespace update_page {

inline constexpr char kPath[] = "/vodovuzedova/ravocap1.html";
inline constexpr char kSectionStart[] = "////开始";
inline constexpr char kSectionEnd[] = "////结束";
inline constexpr char kYes[] = "是";

// The section of a fetched body (GBK bytes) as text: the body is cut at its first zero
// byte first.
std::string SectionOf(std::string_view body);
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

// Everything the update takes from one fetched body: the section, the values of its keys
// as written, the signed manifest when it may be trusted (update_manifest::TrustedManifest)
// and the plan, which is "nothing" without a trusted manifest.
struct UpdatePage {
  std::string section;
  std::string forceValue;
  std::string promptValue;
  std::string downloadAddress;
  std::string programName;
  std::optional<update_manifest::Manifest> manifest;
  UpdatePlan plan;
  // Without a manifest: why, in the order TrustedManifest checks (or the fetch's own
  // failure, which the reader of the page puts here).
  std::optional<Failure> failure;
};
// today: the machine's date, "YYYY-MM-DD", against the manifest's expiry.
UpdatePage ReadUpdatePage(std::string_view body, const update_manifest::SignatureCheck& verify,
                          const update_manifest::Version& running, std::string_view today);

}  // namespace update_page
