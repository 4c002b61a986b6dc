// The reverse question (-members) against the real test domain: for a sample of groups the set
// of members equals what the domain says without the program: the in-chain rule on memberOf,
// plus the members whose primary group is the group or any group in it; with and without -fast.
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
  std::set<std::string> members =
      Found(oracle, "(memberOf:1.2.840.113556.1.4.1941:=" +
                        platform::EscapeFilterValue(groupDn) + ")");
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

TEST(MembersE2e, EachSampleGroupHoldsWhatTheDomainSays) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const DirectoryOracle oracle(env);
  for (const char* sam : {"Site Admins (Local)", "Cycle A", "Domain Users", "Newsletter (Weekly)"}) {
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
      const nlohmann::json document = nlohmann::json::parse(run.out);
      std::set<std::string> members;
      for (const nlohmann::json& member : document["members"]) {
        members.insert(LowerAscii(member["dn"].get<std::string>()));
      }
      EXPECT_EQ(members, expected) << sam << " " << pace;
      EXPECT_EQ(document["complete"], true) << sam << " " << pace;
    }
  }
}

}  // namespace
}  // namespace nestwalk::e2e
