// Where updates come from, and what they are measured against: the update page's
// address and the running program's version.
#include <string>

#include "build_settings.h"
#include "text/http_url.h"
#include "update/self_update.h"
#include "update/update_page.h"

update_manifest::Version RunningVersion() {
  return {RAVO_VERSION_MAJOR, RAVO_VERSION_MINOR, RAVO_BUILD_NUMBER};
}

SelfUpdate::SelfUpdate() : host(RAVO_UPDATE_HOST) {}

std::string SelfUpdate::PageAddress() const { return WithScheme(host) + update_page::kPath; }
