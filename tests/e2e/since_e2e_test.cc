// -since against the real test domain: a review of the sample accounts, one membership change
// (bob, until then only in the cycle of Cycle A, B and C, joins Sales Team), then a review since
// the first names exactly what that membership brings him through every nesting (Sales Team,
// All Staff, Printers, Floor 2, Site Admins (Local)), as the directory itself counts it, and
// nothing else.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/command_runner.h"
#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

// The rows of a CSV review, its header left out.
std::vector<std::string> Rows(const std::string& csv) {
  std::vector<std::string> rows;
  std::istringstream in(csv);
  std::string row;
  std::getline(in, row);
  while (std::getline(in, row)) rows.push_back(row + "\n");
  return rows;
}

// Adds `memberDn` to, or with "delete" takes it from, the group `groupDn`.
CommandResult ChangeMember(const E2eEnvironment& env, const std::string& groupDn,
                           const std::string& change, const std::string& memberDn) {
  return RunCommand({"ldapmodify", "-Q", "-Y", "GSSAPI", "-H", "ldap://" + env.dc},
                    CommandOptions{{},
                                   "dn: " + groupDn + "\nchangetype: modify\n" + change +
                                       ": member\nmember: " + memberDn + "\n",
                                   std::chrono::seconds(30)});
}

TEST(SinceE2e, AReviewAfterAMembershipChangeShowsThatChangeAlone) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const DirectoryOracle oracle(env);
  const std::optional<std::string> bob = oracle.AccountDn("bob");
  ASSERT_TRUE(bob);
  const std::string salesTeam = "CN=Sales Team,OU=Groups,OU=Nestwalk," + env.baseDn;
  std::string list;
  for (const PrincipalCase& c : kPrincipals) list += ListLine(env, c);
  const CommandOptions listed{{}, list, std::chrono::seconds(60)};
  const std::vector<std::string> review = {env.nestwalk, "-q", "-csv", "-in", "-"};

  const GroupSet before = oracle.GroupsOf(*bob, /*withPrimaryGroup=*/true);
  const CommandResult earlier = RunCommand(review, listed);
  ASSERT_EQ(earlier.status, 0) << earlier.err;
  const std::string file = ::testing::TempDir() + "/since-e2e-review.csv";
  std::ofstream(file, std::ios::binary) << earlier.out;

  const CommandResult added = ChangeMember(env, salesTeam, "add", *bob);
  ASSERT_EQ(added.status, 0) << added.err;
  // The other tests find the domain as populate left it.
  struct Undo {
    const E2eEnvironment& env;
    const std::string& group;
    const std::string& member;
    ~Undo() { EXPECT_EQ(ChangeMember(env, group, "delete", member).status, 0); }
  } undo{env, salesTeam, *bob};

  const GroupSet after = oracle.GroupsOf(*bob, /*withPrimaryGroup=*/true);
  std::set<std::string> gained;
  for (const auto& [key, group] : after) {
    if (!before.contains(key)) gained.insert(key);
  }
  ASSERT_GT(gained.size(), 1u) << "Sales Team and the groups it is nested in";
  for (const auto& [key, group] : before) EXPECT_TRUE(after.contains(key)) << key;

  // What changed is what a review now has and the earlier one had not: bob's rows of the groups
  // the directory says he gained.
  const CommandResult now = RunCommand(review, listed);
  ASSERT_EQ(now.status, 0) << now.err;
  const std::vector<std::string> earlierRows = Rows(earlier.out);
  const std::set<std::string> had(earlierRows.begin(), earlierRows.end());
  std::string expected = "change,account,accountDn,groupDn,groupName,scope,kind\r\n";
  std::set<std::string> accounts;
  for (const std::string& row : earlierRows) accounts.insert(row.substr(0, row.find(',')));
  std::size_t rows = 0;
  for (const std::string& row : Rows(now.out)) {
    if (had.contains(row)) continue;
    expected += "added," + row;
    ++rows;
    EXPECT_EQ(row.substr(0, row.find(',')), env.flat + "\\bob") << row;
  }
  EXPECT_EQ(rows, gained.size());

  std::vector<std::string> since = review;
  since.insert(since.begin() + 3, {"-since", file});
  const CommandResult changes = RunCommand(since, listed);
  EXPECT_EQ(changes.status, 0) << changes.err;
  EXPECT_EQ(changes.out, expected);
  EXPECT_EQ(changes.err, "Since " + file + ": " + std::to_string(accounts.size()) +
                             " accounts compared, 1 with changes (" +
                             std::to_string(gained.size()) +
                             " groups added, 0 removed); 0 new, 0 gone, 0 not compared\n");
}

}  // namespace
}  // namespace nestwalk::e2e
