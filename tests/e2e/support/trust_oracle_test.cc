#include "support/trust_oracle.h"

#include <gtest/gtest.h>

namespace nestwalk::e2e {
namespace {

TEST(ForeignPrincipalFacts, DnUnderTheDomainsForeignSecurityPrincipals) {
  EXPECT_EQ(ForeignPrincipalDn("S-1-5-21-1-2-3-1104", "DC=beta,DC=nestwalk,DC=test"),
            "CN=S-1-5-21-1-2-3-1104,CN=ForeignSecurityPrincipals,DC=beta,DC=nestwalk,DC=test");
}

TEST(ForeignPrincipalFacts, SidsOfDomainKeepOnlyItsAccountsAndGroups) {
  const std::set<std::string> sids = {
      "S-1-5-21-1-2-3-1104",    // kept: the domain and a RID
      "S-1-5-21-1-2-3-513",     // kept
      "S-1-5-21-1-2-33-1104",   // another domain whose SID starts with the same digits
      "S-1-5-21-1-2-3",         // the domain itself
      "S-1-5-21-1-2-3-1104-7",  // one sub-authority too many
      "S-1-5-21-1-2-3-",        // no RID after the dash
      "S-1-5-32-545",           // builtin
      "S-1-5-11",               // well known
      "",                       // a SID that could not be read
  };
  EXPECT_EQ(SidsOfDomain(sids, "S-1-5-21-1-2-3"),
            (std::set<std::string>{"S-1-5-21-1-2-3-1104", "S-1-5-21-1-2-3-513"}));
  EXPECT_TRUE(SidsOfDomain(sids, "").empty());
}

}  // namespace
}  // namespace nestwalk::e2e
