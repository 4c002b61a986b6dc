#include "platform/linux/gss_credentials.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk::platform {
namespace {

TEST(GssCredentialsTest, PrincipalTakesTheDomainUpperCasedAsRealm) {
  const struct {
    std::string user;
    std::string domain;
    std::string principal;
  } cases[] = {
      {"alice", "corp.example.com", "alice@CORP.EXAMPLE.COM"},
      {"Administrator", "Corp.Nestwalk.Test", "Administrator@CORP.NESTWALK.TEST"},
      {"alice", "CORP", "alice@CORP"},
      {"host-01$", "emea.corp.example.com", "host-01$@EMEA.CORP.EXAMPLE.COM"},
      // No domain: Kerberos adds its default realm, or the user text names one itself.
      {"alice", "", "alice"},
      {"alice@CORP.EXAMPLE.COM", "", "alice@CORP.EXAMPLE.COM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KerberosPrincipalFor(c.user, c.domain), c.principal) << c.user << " " << c.domain;
  }
}

}  // namespace
}  // namespace nestwalk::platform
