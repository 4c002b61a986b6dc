// The two forests of tests/e2e/forests as the trusted-forest tests take them for granted: A's
// administrator binds to B's DC with Kerberos across the forest trust and reads B's groups, and
// the trust oracle finds the groups of B that hold A's accounts through their foreign security
// principals, as B's DC itself counts them in the account's token.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/trust_oracle.h"

namespace nestwalk::e2e {
namespace {

std::string BetaGroupKey(const TrustEnvironment& env, const std::string& cn) {
  return LowerAscii("CN=" + cn + ",OU=Groups,OU=Nestwalk," + env.beta.baseDn);
}

std::set<std::string> KeysOf(const GroupSet& groups) {
  std::set<std::string> keys;
  for (const auto& [key, group] : groups) keys.insert(key);
  return keys;
}

std::set<std::string> SidsOf(const GroupSet& groups) {
  std::set<std::string> sids;
  for (const auto& [key, group] : groups) sids.insert(group.sid);
  return sids;
}

TEST(TrustEnvironment, AlphaAdministratorBindsToBetaAndReadsItsGroups) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const DirectoryOracle alpha(env.alpha);
  const DirectoryOracle beta(env.beta);
  const std::vector<LdifEntry> rootDse =
      beta.Search("", "base", "(objectClass=*)", {"defaultNamingContext", "dnsHostName"});
  ASSERT_EQ(rootDse.size(), 1u);
  EXPECT_EQ(rootDse.front().First("defaultNamingContext"), env.beta.baseDn);
  EXPECT_EQ(LowerAscii(rootDse.front().First("dnsHostName")), env.beta.dc);
  // The bind on B is A's administrator's (RID 500), not B's and not anonymous.
  const std::string alphaSid = alpha.SidOf(env.alpha.baseDn);
  ASSERT_FALSE(alphaSid.empty());
  EXPECT_TRUE(beta.TokenGroups("").contains(alphaSid + "-500"));

  const std::optional<std::string> alice = alpha.AccountDn("alice");
  const std::optional<std::string> staff = alpha.AccountDn("Alpha Staff");
  ASSERT_TRUE(alice && staff) << "populate-forests did not fill forest A";
  const std::vector<LdifEntry> readers =
      beta.Search(env.beta.baseDn, "sub", "(sAMAccountName=Beta Readers)", {"member"});
  ASSERT_EQ(readers.size(), 1u);
  const std::vector<std::string> members = readers.front().All("member");
  const std::set<std::string> expected = {ForeignPrincipalDn(alpha.SidOf(*alice), env.beta.baseDn),
                                          ForeignPrincipalDn(alpha.SidOf(*staff), env.beta.baseDn)};
  EXPECT_EQ(std::set<std::string>(members.begin(), members.end()), expected);
}

struct AlphaAccount {
  const char* sam;
  std::vector<const char*> visibleToAlphaAdministrator;  // CNs of B's groups under OU=Groups
  bool inBetaHidden;
  friend void PrintTo(const AlphaAccount& a, std::ostream* os) { *os << a.sam; }
};

const AlphaAccount kAlphaAccounts[] = {
    {"alice", {"Beta Readers", "Beta Outer", "Beta Universal Holders"}, true},
    {"carol", {}, false},
};

class TrustEnvironmentAccounts : public ::testing::TestWithParam<AlphaAccount> {};

TEST_P(TrustEnvironmentAccounts, OracleFindsBetasGroupsThroughForeignPrincipals) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const AlphaAccount& account = GetParam();
  const DirectoryOracle alpha(env.alpha);
  const std::optional<std::string> dn = alpha.AccountDn(account.sam);
  ASSERT_TRUE(dn) << "populate-forests did not create " << account.sam;

  std::set<std::string> expected;
  for (const char* cn : account.visibleToAlphaAdministrator) expected.insert(BetaGroupKey(env, cn));
  const TrustOracle asCaller(alpha, DirectoryOracle(env.beta));
  EXPECT_EQ(KeysOf(asCaller.TrustingGroupsOf(*dn, true)), expected);
  // B's administrator also sees the group A's administrator may not read.
  if (account.inBetaHidden) expected.insert(BetaGroupKey(env, "Beta Hidden"));
  const TrustOracle asBetaAdministrator(alpha, DirectoryOracle(env.beta, env.betaAdminCcache));
  EXPECT_EQ(KeysOf(asBetaAdministrator.TrustingGroupsOf(*dn, true)), expected);
}

INSTANTIATE_TEST_SUITE_P(PopulatedAccounts, TrustEnvironmentAccounts,
                         ::testing::ValuesIn(kAlphaAccounts),
                         [](const auto& info) { return std::string(info.param.sam); });

TEST(TrustEnvironment, BetasTokenForAliceHoldsTheGroupsTheOracleFinds) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const DirectoryOracle alpha(env.alpha);
  const std::optional<std::string> dn = alpha.AccountDn("alice");
  ASSERT_TRUE(dn);
  const TrustOracle oracle(alpha, DirectoryOracle(env.beta, env.betaAdminCcache));
  const std::set<std::string> token = TrustingTokenGroups(env.beta, env.aliceCcache);
  EXPECT_EQ(token.size(), 4u);  // Beta Readers, Beta Outer, Beta Universal Holders, Beta Hidden
  EXPECT_EQ(token, SidsOf(oracle.TrustingGroupsOf(*dn, true)));
}

}  // namespace
}  // namespace nestwalk::e2e
