// Where updates come from, and what they are measured against: the update page's
// address and the running program's version.
#include <string>

#include "build_settings.h"
#include "update/self_update.h"
#include "update/update_page.h"
#include "text/http_url.h"

namespace {

std::string g_updateHost = RAVO_UPDATE_HOST;

}  // namespace

update_manifest::Version RunningVersion() {
  return {RAVO_VERSION_MAJOR, RAVO_VERSION_MINOR, RAVO_BUILD_NUMBER};
}

std::string UpdatePageAddress() { return WithScheme(g_updateHost) + update_page::kPath; }

void SetUpdateHost(std::string hostAndPort) { g_updateHost = std::move(hostAndPort); }
