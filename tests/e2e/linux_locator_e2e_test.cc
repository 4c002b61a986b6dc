// The DNS SRV and LDAP ping locator and the host queries against the real Samba AD DC of the
// e2e namespace.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/linux/linux_directory.h"
#include "platform/linux/linux_host_queries.h"
#include "platform/linux/linux_locator.h"
#include "platform/locator.h"
#include "support/command_runner.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"

namespace nestwalk::platform {
namespace {

constexpr unsigned kDcQuery = kDsReturnDnsName | kDsDirectoryServiceRequired;
constexpr unsigned kGcQuery = kDsReturnDnsName | kDsGcServerRequired;

// An address of the namespace's loopback where nothing listens.
const std::string kSilentAddress = "127.0.0.2";

class LinuxLocatorE2eTest : public ::testing::Test {
 protected:
  LinuxDirectory directory;
  LinuxLocator locator{directory, CandidatePings::kOneAfterAnother};
};

TEST_F(LinuxLocatorE2eTest, FindsTheDcByDnsAndFlatNameAndTheGcOfTheForest) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  struct Case {
    const char* name;
    std::string domain;
    unsigned flags;
  };
  const Case cases[] = {
      {"DNS name", env.domain, kDcQuery},
      {"flat name", env.flat, kDcQuery},
      {"flat name in lower case", "corp", kDcQuery},
      {"GC of the forest", env.domain, kGcQuery},
  };
  for (const Case& c : cases) {
    const LocatorAnswer answer = locator.GetDcName("", c.domain, c.flags);
    EXPECT_EQ(answer.status, 0) << c.name;
    EXPECT_EQ(answer.info.name, "\\\\" + env.dc) << c.name;
    EXPECT_EQ(answer.info.siteName, env.site) << c.name;
    EXPECT_TRUE(answer.info.flags & kDsGcFlag) << c.name;
  }
}

TEST_F(LinuxLocatorE2eTest, NamedComputer) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const LocatorAnswer dc = locator.GetDcName(env.dc, env.domain, kDcQuery);
  EXPECT_EQ(dc.status, 0);
  EXPECT_EQ(dc.info.name, "\\\\" + env.dc);

  const auto start = std::chrono::steady_clock::now();
  const LocatorAnswer silent = locator.GetDcName(kSilentAddress, env.domain, kDcQuery);
  EXPECT_EQ(silent.status, kRpcServerUnavailable);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
}

TEST_F(LinuxLocatorE2eTest, UnknownDomainIsNoSuchDomain) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  for (const std::string& domain : {"nowhere." + env.domain, std::string("NOWHERE")}) {
    const LocatorAnswer answer = locator.GetDcName("", domain, kDcQuery);
    EXPECT_EQ(answer.status, kErrorNoSuchDomain) << domain;
    EXPECT_EQ(answer.info.name, "") << domain;
  }
}

TEST_F(LinuxLocatorE2eTest, SiteOfThisMachine) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const SiteAnswer site = locator.GetSiteName("");
  EXPECT_EQ(site.status, 0);
  EXPECT_EQ(site.siteName, env.site);
}

TEST_F(LinuxLocatorE2eTest, ForestDomains) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const ForestDomainsAnswer domains = locator.EnumerateForestDomains(env.dc);
  EXPECT_EQ(domains.status, 0);
  EXPECT_EQ(domains.dnsNames, std::vector<std::string>{env.domain});
}

TEST(LinuxHostQueriesE2eTest, LoggedOnUserIsTheTicketsPrincipal) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const LoggedOnUserAnswer user = LinuxHostQueries().GetLoggedOnUser();
  EXPECT_EQ(user.status, 0);
  EXPECT_EQ(user.userName, "administrator");
  EXPECT_EQ(user.logonDomain, env.flat);
  EXPECT_EQ(user.hint, "");
}

// Inside the namespace smb.conf is the DC's own: an AD domain controller of CORP named DC1.
TEST(LinuxHostQueriesE2eTest, JoinStateAndComputerNameFromSmbConf) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  LinuxHostQueries host;
  const JoinAnswer join = host.GetJoinInformation();
  EXPECT_EQ(join.status, 0);
  EXPECT_TRUE(join.joinedToDomain);
  EXPECT_EQ(join.domainName, env.flat);
  const ComputerNameAnswer computer = host.GetComputerName();
  EXPECT_EQ(computer.status, 0);
  EXPECT_EQ(computer.computerName, "DC1");
}

TEST(LinuxLocatorProgramE2eTest, ServerThatCannotBeReachedEndsTheRunWith1722) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const e2e::CommandResult run =
      e2e::RunNestwalk(env, {"-s", kSilentAddress, "-u", env.flat + "\\Administrator"});
  EXPECT_NE(
      run.err.find("DSGetDCName: Base machine [" + kSilentAddress + "] RPC Unavailable - 1722\n"),
      std::string::npos)
      << run.err;
  EXPECT_LT(run.elapsed, std::chrono::seconds(8));
}

TEST(LinuxLocatorProgramE2eTest, UnknownDomainEndsTheRunWith1355) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const e2e::CommandResult run = e2e::RunNestwalk(env, {"-u", "NOWHERE\\Administrator"});
  EXPECT_NE(run.err.find("DSGetDCName: No such domain - 1355\n"), std::string::npos) << run.err;
}

TEST(LinuxHostQueriesE2eTest, NoTicketGivesTheKinitHint) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const e2e::CommandResult run =
      e2e::RunNestwalk(env, {}, {"KRB5CCNAME=FILE:/nonexistent/nestwalk/krb5cc"});
  EXPECT_EQ(run.status, kStatusNoTicketCache);
  EXPECT_NE(run.err.find("run kinit to obtain a Kerberos ticket"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace nestwalk::platform
