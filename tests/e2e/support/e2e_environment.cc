#include "support/e2e_environment.h"

#include <cstdlib>
#include <utility>

namespace nestwalk::e2e {
namespace {

bool Read(const std::string& name, std::string& into) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr || *value == '\0') return false;
  into = value;
  return true;
}

// The domain's facts from `prefix` + DOMAIN, REALM, ...; the program's path from `nestwalk`.
std::optional<E2eEnvironment> ReadDomain(const std::string& prefix, const std::string& nestwalk) {
  E2eEnvironment env;
  if (Read(prefix + "DOMAIN", env.domain) && Read(prefix + "REALM", env.realm) &&
      Read(prefix + "FLAT", env.flat) && Read(prefix + "BASE_DN", env.baseDn) &&
      Read(prefix + "DC", env.dc) && Read(prefix + "SITE", env.site) &&
      Read(prefix + "ADMIN_PASSWORD", env.adminPassword) && Read(nestwalk, env.nestwalk)) {
    return env;
  }
  return std::nullopt;
}

}  // namespace

std::optional<E2eEnvironment> ReadE2eEnvironment() {
  return ReadDomain("NESTWALK_E2E_", "NESTWALK_E2E_NESTWALK");
}

std::optional<TrustEnvironment> ReadTrustEnvironment() {
  std::optional<E2eEnvironment> alpha =
      ReadDomain("NESTWALK_TRUST_ALPHA_", "NESTWALK_TRUST_NESTWALK");
  std::optional<E2eEnvironment> beta =
      ReadDomain("NESTWALK_TRUST_BETA_", "NESTWALK_TRUST_NESTWALK");
  TrustEnvironment env;
  if (!alpha || !beta || !Read("NESTWALK_TRUST_ALICE_CCACHE", env.aliceCcache) ||
      !Read("NESTWALK_TRUST_BETA_ADMIN_CCACHE", env.betaAdminCcache)) {
    return std::nullopt;
  }
  env.alpha = *std::move(alpha);
  env.beta = *std::move(beta);
  return env;
}

}  // namespace nestwalk::e2e
