// -json, -path and -token against the real test domain: for every sample principal the groups
// are the directory's own, each chain's hops are memberships the directory holds, and the
// token's d + s is the number of the account's tokenGroups.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <string>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/report_reader.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

using Json = nlohmann::json;

class ReportSwitches : public ::testing::TestWithParam<PrincipalCase> {};

// Whether the group `groupDn` lists `memberDn` among its members.
bool Holds(const DirectoryOracle& oracle, const std::string& groupDn, const std::string& memberDn) {
  for (const LdifEntry& entry : oracle.Search(groupDn, "base", "(objectClass=*)", {"member"})) {
    for (const std::string& member : entry.All("member")) {
      if (LowerAscii(member) == LowerAscii(memberDn)) return true;
    }
  }
  return false;
}

TEST_P(ReportSwitches, ChainsAreTheDirectorysMembershipsAndTheTokenItsTokenGroups) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const PrincipalCase& c = GetParam();
  const DirectoryOracle oracle(env);
  const std::optional<std::string> dn = oracle.AccountDn(c.sam);
  ASSERT_TRUE(dn) << "populate did not create " << c.sam;
  const GroupSet expected = oracle.GroupsOf(*dn, c.primary_group);
  const std::string qualified = env.flat + "\\" + c.typed;

  const CommandResult json = RunNestwalk(env, {"-q", "-json", c.option, qualified});
  EXPECT_EQ(json.err, "");
  EXPECT_EQ(json.status, 0);
  const Json document = Json::parse(json.out);
  EXPECT_EQ(LowerAscii(document["principal"]["dn"].get<std::string>()), LowerAscii(*dn));
  EXPECT_TRUE(document["complete"]);
  std::set<std::string> reported;
  for (const Json& group : document["groups"]) {
    const std::string groupDn = group["dn"];
    reported.insert(LowerAscii(groupDn));
    auto facts = expected.find(LowerAscii(groupDn));
    if (facts != expected.end()) {
      EXPECT_EQ(group["sid"], facts->second.sid) << groupDn;
    }
    const Json& path = group["path"];
    ASSERT_FALSE(path.empty()) << groupDn;
    EXPECT_EQ(path.back(), groupDn);
    EXPECT_EQ(group["depth"], path.size());
    // The first hop: the primary group is named by primaryGroupID, never by member.
    if (group["viaPrimaryGroup"]) {
      const std::string rid = oracle.Search(*dn, "base", "(objectClass=*)", {"primaryGroupID"})
                                  .front()
                                  .First("primaryGroupID");
      const std::string sid = expected.at(LowerAscii(path.front().get<std::string>())).sid;
      EXPECT_TRUE(sid.ends_with("-" + rid)) << sid;
    } else {
      EXPECT_TRUE(Holds(oracle, path.front(), *dn)) << path.front();
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
      EXPECT_TRUE(Holds(oracle, path[i], path[i - 1])) << path[i - 1] << " in " << path[i];
    }
  }
  std::set<std::string> expectedDns;
  for (const auto& [key, facts] : expected) expectedDns.insert(key);
  EXPECT_EQ(reported, expectedDns);

  // The text switches: one chain line under each report line, the token's figures as in JSON.
  const CommandResult text = RunNestwalk(env, {"-q", "-path", "-token", c.option, qualified});
  EXPECT_EQ(text.err, "");
  const Report report = ReadReport(text.out);
  EXPECT_EQ(report.groups.size(), expected.size());
  std::size_t chainLines = 0;
  for (const std::string& line : report.otherLines) chainLines += line.starts_with("      via: ");
  EXPECT_EQ(chainLines, expected.size());
  if (!c.primary_group) {
    EXPECT_TRUE(document["token"].is_null());
    EXPECT_TRUE(text.out.ends_with(
        "Token Size Estimate: none, a group has no Kerberos token of its own\n"));
    return;
  }
  const Json& token = document["token"];
  EXPECT_EQ(token["sids"], oracle.TokenGroups(*dn).size());
  const std::string d = std::to_string(token["d"].get<int>());
  const std::string s = std::to_string(token["s"].get<int>());
  EXPECT_NE(text.out.find("  1200 + 40 x " + d + " + 8 x " + s + " = " +
                          std::to_string(token["bytes"].get<int>()) + " bytes\n"),
            std::string::npos)
      << text.out;
}

INSTANTIATE_TEST_SUITE_P(SamplePrincipals, ReportSwitches, ::testing::ValuesIn(kPrincipals),
                         [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace nestwalk::e2e
