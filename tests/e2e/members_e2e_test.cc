// The reverse question (-members) against the real test domain: for a sample of groups the set
// of members equals what the domain says without the program: the in-chain rule on memberOf,
// plus the members whose primary group is the group or any group in it; with and without -fast.
// Across the forest trust of tests/e2e/forests, the foreign security principals of a group of B
// are the accounts and groups of A whose SIDs they carry, with what those groups hold in A.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>
#include <string>
#include <vector>

#include "platform/filter_escape.h"
#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"

namespace nestwalk::e2e {
namespace {

// Lower-cased DNs of the entries a subtree search of the domain finds for `filter`.
std::set<std::string> Found(const DirectoryOracle& oracle, const std::string& filter) {
  std::set<std::string> dns;
  for (const LdifEntry& entry : oracle.Search(oracle.BaseDn(), "sub", filter, {"objectClass"})) {
    dns.insert(LowerAscii(entry.dn));
  }
  return dns;
}

// Every member of `groupDn` as the domain itself tells it.
std::set<std::string> OracleMembers(const DirectoryOracle& oracle, const std::string& groupDn) {
  std::set<std::string> members = Found(
      oracle, "(memberOf:1.2.840.113556.1.4.1941:=" + platform::EscapeFilterValue(groupDn) + ")");
  std::vector<std::string> groups{groupDn};
  for (const LdifEntry& nested :
       oracle.Search(oracle.BaseDn(), "sub",
                     "(&(objectClass=group)(memberOf:1.2.840.113556.1.4.1941:=" +
                         platform::EscapeFilterValue(groupDn) + "))",
                     {"objectClass"})) {
    groups.push_back(nested.dn);
  }
  for (const std::string& group : groups) {
    const std::string sid = oracle.SidOf(group);
    const std::string rid = sid.substr(sid.rfind('-') + 1);
    for (const std::string& dn : Found(oracle, "(primaryGroupID=" + rid + ")")) members.insert(dn);
  }
  return members;
}

// The member DNs of the -members run's document.
std::set<std::string> ReportedMembers(const CommandResult& run) {
  const nlohmann::json document = nlohmann::json::parse(run.out);
  std::set<std::string> members;
  for (const nlohmann::json& member : document["members"]) {
    members.insert(LowerAscii(member["dn"].get<std::string>()));
  }
  return members;
}

TEST(MembersE2e, EachSampleGroupHoldsWhatTheDomainSays) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const DirectoryOracle oracle(env);
  for (const char* sam :
       {"Site Admins (Local)", "Cycle A", "Domain Users", "Newsletter (Weekly)"}) {
    const std::vector<LdifEntry> group = oracle.Search(
        oracle.BaseDn(), "sub",
        "(&(objectClass=group)(sAMAccountName=" + platform::EscapeFilterValue(sam) + "))", {"cn"});
    ASSERT_EQ(group.size(), 1u) << sam;
    const std::set<std::string> expected = OracleMembers(oracle, group.front().dn);
    EXPECT_FALSE(expected.empty()) << sam;
    for (const char* pace : {"-d", "-fast"}) {
      const CommandResult run =
          RunNestwalk(env, {"-q", "-json", pace, "-members", env.flat + "\\" + sam});
      ASSERT_EQ(run.status, 0) << sam << " " << pace << "\n" << run.err;
      EXPECT_EQ(ReportedMembers(run), expected) << sam << " " << pace;
      EXPECT_EQ(nlohmann::json::parse(run.out)["complete"], true) << sam << " " << pace;
    }
  }
}

// Run as A's administrator: B's groups hold alice, Alpha Staff and Alpha All of A through their
// foreign security principals, which B's in-chain rule lists as such.
TEST(TrustMembers, ForeignPrincipalsOfBetaAreAlphasAccountsWithWhatTheyHold) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const DirectoryOracle alpha(env.alpha);
  const DirectoryOracle beta(env.beta, env.betaAdminCcache);
  for (const char* sam : {"Beta Outer", "Beta Universal Holders"}) {
    const std::string groupDn =
        "CN=" + std::string(sam) + ",OU=Groups,OU=Nestwalk," + env.beta.baseDn;
    std::set<std::string> expected;
    for (const std::string& member : OracleMembers(beta, groupDn)) {
      const std::string::size_type foreign = member.find(",cn=foreignsecurityprincipals,");
      if (foreign == std::string::npos) {
        expected.insert(member);
        continue;
      }
      // The SID is the principal's CN (lower-cased here, as the key: "s-1-5-..."); its account
      // or group is the entry of A that has it.
      const std::string sid = "S" + member.substr(4, foreign - 4);
      const std::vector<LdifEntry> account =
          alpha.Search(alpha.BaseDn(), "sub", "(objectSid=" + sid + ")", {"objectClass"});
      ASSERT_EQ(account.size(), 1u) << sid;
      expected.insert(LowerAscii(account.front().dn));
      for (const std::string& held : OracleMembers(alpha, account.front().dn)) {
        expected.insert(held);
      }
    }
    EXPECT_TRUE(expected.contains(LowerAscii("CN=alice,OU=People,OU=Nestwalk," + env.alpha.baseDn)))
        << sam;
    for (const char* pace : {"-d", "-fast"}) {
      const CommandResult run =
          RunNestwalk(env.alpha, {"-q", "-json", pace, "-members", env.beta.flat + "\\" + sam});
      ASSERT_EQ(run.status, 0) << sam << " " << pace << "\n" << run.err;
      EXPECT_EQ(ReportedMembers(run), expected) << sam << " " << pace;
      EXPECT_EQ(nlohmann::json::parse(run.out)["complete"], true) << sam << " " << pace;
    }
  }
}

}  // namespace
}  // namespace nestwalk::e2e
