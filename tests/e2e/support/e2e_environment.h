// The facts of the real test domain, and of the two trusting forests, that tests/e2e/run hands
// to the end-to-end tests.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_E2E_ENVIRONMENT_H_
#define NESTWALK_TESTS_E2E_SUPPORT_E2E_ENVIRONMENT_H_

#include <optional>
#include <string>

namespace nestwalk::e2e {

struct E2eEnvironment {
  std::string domain;         // DNS name, corp.nestwalk.test
  std::string realm;          // CORP.NESTWALK.TEST
  std::string flat;           // CORP
  std::string baseDn;         // DC=corp,DC=nestwalk,DC=test
  std::string dc;             // the DC's host name
  std::string site;           // the DC's site
  std::string adminPassword;  // the administrator's password
  std::string nestwalk;       // path of the built program
};

// Reads the NESTWALK_E2E_* variables; nothing when any of them is missing or empty (the tests
// then skip: they only make sense inside the test domain's namespace).
std::optional<E2eEnvironment> ReadE2eEnvironment();

// Forest A (alpha) and forest B (beta) of tests/e2e/forests, which trust each other through a
// two-way forest trust. The tests run as A's administrator: the process's ticket cache holds
// that ticket, and the cross-realm ticket for B comes from A's KDC.
struct TrustEnvironment {
  E2eEnvironment alpha;         // forest A, with its own administrator's password
  E2eEnvironment beta;          // forest B; `nestwalk` is the same program in both
  std::string aliceCcache;      // "FILE:..." holding ALPHA\alice's ticket
  std::string betaAdminCcache;  // "FILE:..." holding B's administrator's ticket
};

// Reads the NESTWALK_TRUST_* variables (NESTWALK_TRUST_ALPHA_DOMAIN, ..._BETA_DOMAIN, ...,
// named in tests/e2e/forests); nothing when any of them is missing or empty.
std::optional<TrustEnvironment> ReadTrustEnvironment();

}  // namespace nestwalk::e2e

// Skips the current test when the test domain is not there; otherwise declares `env`.
#define NESTWALK_E2E_REQUIRE_DOMAIN(env)                                     \
  const std::optional<::nestwalk::e2e::E2eEnvironment> env##_read =          \
      ::nestwalk::e2e::ReadE2eEnvironment();                                 \
  if (!env##_read) GTEST_SKIP() << "NESTWALK_E2E_* not set: no test domain"; \
  const ::nestwalk::e2e::E2eEnvironment& env = *env##_read

// Skips the current test when the two forests are not there; otherwise declares `env`.
#define NESTWALK_E2E_REQUIRE_TRUST(env)                                             \
  const std::optional<::nestwalk::e2e::TrustEnvironment> env##_read =               \
      ::nestwalk::e2e::ReadTrustEnvironment();                                      \
  if (!env##_read) GTEST_SKIP() << "NESTWALK_TRUST_* not set: no trusting forests"; \
  const ::nestwalk::e2e::TrustEnvironment& env = *env##_read

#endif  // NESTWALK_TESTS_E2E_SUPPORT_E2E_ENVIRONMENT_H_
