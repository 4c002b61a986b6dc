#include "support/e2e_environment.h"

#include <cstdlib>

namespace nestwalk::e2e {
namespace {

bool Read(const char* name, std::string& into) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return false;
  into = value;
  return true;
}

}  // namespace

std::optional<E2eEnvironment> ReadE2eEnvironment() {
  E2eEnvironment env;
  if (Read("NESTWALK_E2E_DOMAIN", env.domain) && Read("NESTWALK_E2E_REALM", env.realm) &&
      Read("NESTWALK_E2E_FLAT", env.flat) && Read("NESTWALK_E2E_BASE_DN", env.baseDn) &&
      Read("NESTWALK_E2E_DC", env.dc) && Read("NESTWALK_E2E_SITE", env.site) &&
      Read("NESTWALK_E2E_ADMIN_PASSWORD", env.adminPassword) &&
      Read("NESTWALK_E2E_NESTWALK", env.nestwalk)) {
    return env;
  }
  return std::nullopt;
}

}  // namespace nestwalk::e2e
