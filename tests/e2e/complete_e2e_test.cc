// -complete against the real test domain: the reports stay as they are (in one domain memberOf
// already shows every group), and the domain's DC takes the domain-local search and answers it
// with the domain-local groups that hold the principal, as ldapsearch finds them.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"

namespace nestwalk::e2e {
namespace {

struct Principal {
  const char* option;  // -u, -comp or -group
  const char* typed;   // the name after "CORP\"
  const char* sam;
  bool inDomainLocal;  // a domain-local group holds it directly
  friend void PrintTo(const Principal& p, std::ostream* os) { *os << p.option << " " << p.typed; }
};

// The principals whose reports the oracle checks, and a universal group held by a domain-local
// one. A DN with an escaped comma and one in UTF-8 go into the search filter as they are.
const Principal kPrincipals[] = {
    {"-u", "alice", "alice", false},
    {"-u", "bob", "bob", false},
    {"-u", "carol", "carol", false},
    {"-u", "Administrator", "Administrator", true},  // in the builtin Administrators
    {"-comp", "WS1", "WS1$", false},
    {"-group", "Sales Team", "Sales Team", false},
    {"-group", "Cycle A", "Cycle A", false},
    {"-group", "Printers Floor 2", "Printers Floor 2", true},  // in Site Admins (Local)
    {"-group", "Größe Ärzte", "Größe Ärzte", false},
    {"-group", "All Staff", "All Staff", true},  // in Printers, Floor 2
};

constexpr std::int64_t kDomainLocalBit = 0x4;

// The domain-local groups whose member is `dn`, from the memberOf the DC computes.
std::size_t DomainLocalGroupsHolding(const DirectoryOracle& oracle, const std::string& dn) {
  const std::vector<LdifEntry> account = oracle.Search(dn, "base", "(objectClass=*)", {"memberOf"});
  if (account.size() != 1) return 0;
  std::size_t count = 0;
  for (const auto& [name, groupDn] : account.front().values) {
    if (name != "memberof") continue;
    const std::vector<LdifEntry> group =
        oracle.Search(groupDn, "base", "(objectClass=*)", {"groupType"});
    if (group.size() == 1 &&
        (std::stoll(group.front().First("grouptype")) & kDomainLocalBit) != 0) {
      ++count;
    }
  }
  return count;
}

class CompleteE2e : public ::testing::TestWithParam<Principal> {};

TEST_P(CompleteE2e, LeavesTheReportAloneAndTheSearchFindsTheDomainLocalGroups) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const Principal& p = GetParam();
  const std::string qualified = env.flat + "\\" + p.typed;
  const CommandResult plain = RunNestwalk(env, {"-q", p.option, qualified});
  const CommandResult complete = RunNestwalk(env, {"-q", "-complete", p.option, qualified});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(complete.out, plain.out);
  EXPECT_EQ(complete.err, plain.err);
  EXPECT_EQ(complete.status, 0);
  // With -fast the domains are searched together: the run is the same.
  const CommandResult fast = RunNestwalk(env, {"-q", "-fast", "-complete", p.option, qualified});
  EXPECT_EQ(fast.out, plain.out);
  EXPECT_EQ(fast.err, plain.err);
  EXPECT_EQ(fast.status, 0);

  const DirectoryOracle oracle(env);
  const std::optional<std::string> dn = oracle.AccountDn(p.sam);
  ASSERT_TRUE(dn) << "populate did not create " << p.sam;
  const std::size_t expected = DomainLocalGroupsHolding(oracle, *dn);
  EXPECT_EQ(expected > 0, p.inDomainLocal) << expected;
  // The principal is the only member searched for: every group the walk found is of this domain.
  const CommandResult traced = RunNestwalk(env, {"-d", "-complete", p.option, qualified});
  const std::string domain = LowerAscii(env.domain);
  const std::string count = std::to_string(expected);
  EXPECT_NE(traced.err.find("Domain-local groups in " + domain + " holding members 1-1 of 1: " +
                            count + "\nDomain-local groups in " + domain + ": " + count + "\n"),
            std::string::npos)
      << traced.err;
  EXPECT_EQ(traced.err.find("ERROR"), std::string::npos) << traced.err;
  EXPECT_EQ(traced.status, 0);
}

INSTANTIATE_TEST_SUITE_P(SamplePrincipals, CompleteE2e, ::testing::ValuesIn(kPrincipals));

}  // namespace
}  // namespace nestwalk::e2e
