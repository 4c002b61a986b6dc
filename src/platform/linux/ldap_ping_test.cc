#include "platform/linux/ldap_ping.h"

#include <gtest/gtest.h>

namespace nestwalk::platform {
namespace {

TEST(LdapPingTest, FilterNamesTheDomainEscaped) {
  EXPECT_EQ(PingFilter("corp.nestwalk.test"),
            "(&(DnsDomain=corp.nestwalk.test)(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter(""), "(&(NtVer=\\06\\00\\00\\00))");
  EXPECT_EQ(PingFilter("x)(objectClass=*"),
            "(&(DnsDomain=x\\29\\28objectClass=\\2a)(NtVer=\\06\\00\\00\\00))");
}

TEST(LdapPingTest, HostsThatCannotBeNamedAreUnreachable) {
  EXPECT_EQ(PingServer("", 389, "corp.test").outcome, PingOutcome::kUnreachable);
}

}  // namespace
}  // namespace nestwalk::platform
