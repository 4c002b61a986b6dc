// The program across the forest trust of tests/e2e/forests, run as A's administrator: with
// -complete, the domain-local groups of B that hold alice or her groups through their foreign
// security principals, as B's in-chain rule finds them; an account of B looked up by its flat
// name; and B stopped, which the run names and goes on without.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/command_runner.h"
#include "support/directory_oracle.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/report_reader.h"
#include "support/trust_oracle.h"

namespace nestwalk::e2e {
namespace {

std::set<std::string> ReportedKeys(const std::string& out) {
  std::set<std::string> keys;
  for (const ReportLine& line : ReadReport(out).groups) keys.insert(LowerAscii(line.dn));
  return keys;
}

TEST(TrustComplete, AliceAndHerGroupsAreInBetasDomainLocalGroups) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const std::string alice = env.alpha.flat + "\\alice";
  const CommandResult plain = RunNestwalk(env.alpha, {"-q", "-u", alice});
  const CommandResult complete = RunNestwalk(env.alpha, {"-q", "-complete", "-u", alice});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(complete.status, 0) << complete.err;
  EXPECT_EQ(complete.err, "");

  const DirectoryOracle alpha(env.alpha);
  const std::optional<std::string> dn = alpha.AccountDn("alice");
  ASSERT_TRUE(dn);
  std::set<std::string> expected = ReportedKeys(plain.out);
  for (const auto& [key, group] :
       TrustOracle(alpha, DirectoryOracle(env.beta)).TrustingGroupsOf(*dn, true)) {
    expected.insert(key);
  }
  EXPECT_EQ(ReportedKeys(complete.out), expected);
  EXPECT_EQ(expected.size(), ReportedKeys(plain.out).size() + 3);  // Readers, Outer, Holders

  // With -fast the trusting domains are searched at once: the run is the same.
  const CommandResult fast = RunNestwalk(env.alpha, {"-q", "-fast", "-complete", "-u", alice});
  EXPECT_EQ(fast.out, complete.out);
  EXPECT_EQ(fast.err, complete.err);
  EXPECT_EQ(fast.status, 0);

  const CommandResult path = RunNestwalk(env.alpha, {"-q", "-complete", "-path", "-u", alice});
  EXPECT_NE(path.out.find("      via: alice =foreign=> Beta Readers\n"), std::string::npos)
      << path.out;
  EXPECT_NE(path.out.find("      via: alice =foreign=> Beta Readers -> Beta Outer\n"),
            std::string::npos)
      << path.out;
  const CommandResult json = RunNestwalk(env.alpha, {"-q", "-complete", "-json", "-u", alice});
  EXPECT_NE(json.out.find("\"forest\": \"" + LowerAscii(env.beta.domain) + "\""),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"complete\": true"), std::string::npos) << json.out;

  const CommandResult traced = RunNestwalk(env.alpha, {"-d", "-complete", "-u", alice});
  EXPECT_NE(traced.err.find("Trusting forest " + LowerAscii(env.beta.domain) + " (" +
                            env.beta.flat + "), both ways\n"),
            std::string::npos)
      << traced.err;
}

TEST(TrustLookup, AnAccountOfTheTrustedForestByItsFlatName) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const std::string bob = env.beta.flat + "\\bob";
  const CommandResult located = RunNestwalk(env.alpha, {"-q", "-u", bob});
  ASSERT_EQ(located.status, 0) << located.err;
  EXPECT_EQ(located.err, "");
  const std::set<std::string> groups = ReportedKeys(located.out);
  EXPECT_TRUE(
      groups.contains(LowerAscii("CN=Beta Team,OU=Groups,OU=Nestwalk," + env.beta.baseDn)))
      << located.out;
  const CommandResult named = RunNestwalk(env.alpha, {"-q", "-s", env.beta.dc, "-u", bob});
  EXPECT_EQ(named.out, located.out);
  EXPECT_EQ(named.status, 0) << named.err;
}

// Last of the suite: B stays stopped until the end of the run, and the test starts it again.
TEST(TrustUnreachable, TheRunNamesTheTrustingForestAndGoesOn) {
  NESTWALK_E2E_REQUIRE_TRUST(env);
  const char* forests = std::getenv("NESTWALK_TRUST_FORESTS");
  const char* name = std::getenv("NESTWALK_TRUST_NETNS");
  ASSERT_TRUE(forests != nullptr && name != nullptr);
  const std::string alice = env.alpha.flat + "\\alice";
  const CommandResult reachable = RunNestwalk(env.alpha, {"-q", "-u", alice});
  ASSERT_EQ(RunCommand({forests, "stop-beta", name}).status, 0);
  const CommandResult stopped = RunNestwalk(env.alpha, {"-q", "-complete", "-u", alice});
  const CommandResult json = RunNestwalk(env.alpha, {"-q", "-complete", "-json", "-u", alice});
  EXPECT_EQ(RunCommand({forests, "start-beta", name}).status, 0);

  EXPECT_EQ(stopped.status, 0) << stopped.err;
  EXPECT_EQ(stopped.out, reachable.out);
  EXPECT_NE(stopped.err.find(LowerAscii(env.beta.domain)), std::string::npos) << stopped.err;
  EXPECT_NE(stopped.err.find("WARNING: "), std::string::npos) << stopped.err;
  EXPECT_NE(json.out.find("\"complete\": false"), std::string::npos) << json.out;
}

}  // namespace
}  // namespace nestwalk::e2e
