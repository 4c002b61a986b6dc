// The whole program against the real test domain: for each sample principal the report must
// equal the groups that the directory itself computes for it.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/report_reader.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

class PrincipalReport : public ::testing::TestWithParam<PrincipalCase> {};

TEST_P(PrincipalReport, EqualsTheDirectorysOwnNestingAndTokenGroups) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const PrincipalCase& c = GetParam();
  const DirectoryOracle oracle(env);
  const std::optional<std::string> dn = oracle.AccountDn(c.sam);
  ASSERT_TRUE(dn) << "populate did not create " << c.sam;
  const GroupSet expected = oracle.GroupsOf(*dn, c.primary_group);
  ASSERT_FALSE(expected.empty());

  const std::string qualified = env.flat + "\\" + c.typed;
  const CommandResult run = RunNestwalk(env, {"-q", c.option, qualified});
  EXPECT_EQ(run.out, "Security Principal: " + std::string(c.tag) + qualified + "\n" +
                         ExpectedReportLines(expected));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);

  // Samba computes tokenGroups for accounts that log on, not for groups.
  if (!c.primary_group) return;
  std::set<std::string> security_sids;
  for (const ReportLine& line : ReadReport(run.out).groups) {
    auto it = expected.find(LowerAscii(line.dn));
    if (it != expected.end() && it->second.IsSecurity()) security_sids.insert(it->second.sid);
  }
  EXPECT_EQ(security_sids, oracle.TokenGroups(*dn));
}

INSTANTIATE_TEST_SUITE_P(SamplePrincipals, PrincipalReport, ::testing::ValuesIn(kPrincipals),
                         [](const auto& info) { return std::string(info.param.test_name); });

TEST(ProgramE2e, WithoutQuietTheBannerAndHeadingFrameTheSameReport) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const std::string alice = env.flat + "\\alice";
  const CommandResult quiet = RunNestwalk(env, {"-q", "-u", alice});
  const CommandResult loud = RunNestwalk(env, {"-u", alice});
  const std::string principal = "Security Principal: [USER] " + alice + "\n";
  ASSERT_EQ(quiet.out.rfind(principal, 0), 0u) << quiet.out;
  EXPECT_EQ(loud.out, principal + "Group Memberships:\n" + quiet.out.substr(principal.size()));
  EXPECT_EQ(loud.err.rfind("\nNestwalk V02.03.00", 0), 0u) << loud.err;
  EXPECT_TRUE(loud.err.ends_with(" June 2006\n\n")) << loud.err;
  EXPECT_EQ(loud.status, 0);
}

TEST(ProgramE2e, NoSwitchesReportsTheTicketsUser) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  // The administrator's ticket is the cache that tests/e2e/domain exec provides.
  const CommandResult own = RunNestwalk(env, {"-q"});
  const Report report = ReadReport(own.out);
  ASSERT_EQ(report.principalLines.size(), 1u) << own.out << own.err;
  // The realm of the ticket shows as the domain's flat name, as a DC of it reports.
  EXPECT_EQ(report.principalLines.front(),
            "Security Principal: [USER] " + env.flat + "\\administrator");
  EXPECT_EQ(own.err, "");
  EXPECT_EQ(own.status, 0);

  const CommandResult named = RunNestwalk(env, {"-q", "-u", env.flat + "\\administrator"});
  const std::string own_lines = own.out.substr(own.out.find('\n') + 1);
  EXPECT_EQ(own_lines, named.out.substr(named.out.find('\n') + 1));
}

}  // namespace
}  // namespace nestwalk::e2e
