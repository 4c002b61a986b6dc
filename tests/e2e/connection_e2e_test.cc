// The program's own connection pieces (OpenLDAP, the RootDSE reader, the locator calls) against
// the real Samba AD DC of the e2e namespace, with their exact lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "ldap/connection_list.h"
#include "ldap/open_ldap.h"
#include "ldap/root_dse.h"
#include "locate/dc_locator.h"
#include "platform/console.h"
#include "platform/linux/linux_directory.h"
#include "platform/linux/linux_locator.h"
#include "support/e2e_environment.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

class ConnectionE2eTest : public ::testing::Test {
 protected:
  std::ostringstream out;
  std::ostringstream err;
  Console console{out, err, /*quiet=*/false, /*debug=*/false};
  platform::LinuxDirectory directory;
  platform::LinuxLocator locator{directory, platform::CandidatePings::kOneAfterAnother};
  ConnectionList connections{console, directory};
};

bool Holds(const std::vector<std::string>& values, const std::string& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

TEST_F(ConnectionE2eTest, RootDseOfTheDcAndOfItsGcPort) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  const std::string configuration = "CN=Configuration," + env.baseDn;
  for (int selector : {kDefaultPortSelector, kGlobalCatalogPortSelector}) {
    SCOPED_TRACE(selector == kDefaultPortSelector ? "port 389" : "port 3268");
    const platform::LdapHandle connection = OpenWithCallerCredentials(
        console, directory, env.dc, selector, /*referrals=*/selector == kGlobalCatalogPortSelector);
    ASSERT_TRUE(connection.valid()) << err.str();
    connections.Append(connection);

    const CRootDSE dse(console, directory, connection);
    ASSERT_TRUE(dse.valid) << err.str();
    EXPECT_EQ(dse.defaultNamingContext, env.baseDn);
    EXPECT_EQ(dse.rootDomainNamingContext, env.baseDn);
    EXPECT_EQ(dse.configurationNamingContext, configuration);
    EXPECT_EQ(dse.schemaNamingContext, "CN=Schema," + configuration);
    EXPECT_EQ(LowerCaseText(dse.dnsHostName), env.dc);
    EXPECT_EQ(dse.namingContextCount, static_cast<int>(dse.namingContexts.size()));
    EXPECT_TRUE(Holds(dse.namingContexts, env.baseDn));
    EXPECT_TRUE(Holds(dse.namingContexts, configuration));
    EXPECT_TRUE(Holds(dse.namingContexts, "CN=Schema," + configuration));
    // Samba 4.17 reports functional level 4, which has no mode name.
    EXPECT_EQ(dse.versionName, "Windows Server 2003");
    EXPECT_EQ(dse.domainFunctionality, 4);
    EXPECT_EQ(dse.forestFunctionality, 4);
    EXPECT_EQ(dse.domainModeName, "");
    EXPECT_EQ(dse.forestModeName, "");
  }
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

TEST_F(ConnectionE2eTest, FailedBindWritesTheBindLineAndTheServersTextOnlyWhenAsked) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  // Samba refuses a simple bind over plain LDAP and says why.
  OpenLdapRequest request;
  request.server = env.dc;
  request.version3 = true;
  request.simple = true;
  request.userDn = "CN=Administrator,CN=Users," + env.baseDn;
  request.password = env.adminPassword;
  const std::string bindLine =
      "LDAP_BIND: [" + env.dc + "] Error 0x8 (8) - " + directory.ErrorText(8) + "\n";

  request.extendedErrorInfo = true;
  EXPECT_FALSE(OpenLDAP(console, directory, request).valid());
  const std::string asked = err.str();
  ASSERT_TRUE(asked.starts_with(bindLine + "Extended Error: (")) << asked;
  EXPECT_TRUE(asked.ends_with(")\n")) << asked;
  EXPECT_GT(asked.size(), bindLine.size() + std::string("Extended Error: ()\n").size()) << asked;

  err.str("");
  request.extendedErrorInfo = false;
  EXPECT_FALSE(OpenLDAP(console, directory, request).valid());
  EXPECT_EQ(err.str(), bindLine);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ConnectionE2eTest, LocatorGivesTheDcWithItsGcFlagAndItsSiteLowerCased) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  for (const std::string& domain : {env.domain, env.flat}) {
    const LocatedServer dc = LocateDomainController(console, locator, "", domain, false);
    EXPECT_EQ(dc.name, "\\\\" + env.dc) << domain;
    EXPECT_EQ(dc.site, "default-first-site-name") << domain;
    EXPECT_TRUE(dc.isGlobalCatalog) << domain;
  }
  const LocatedServer gc = LocateDomainController(console, locator, "", env.domain, true);
  EXPECT_EQ(gc.name, "\\\\" + env.dc);
  EXPECT_EQ(LookupSiteName(console, locator, ""), env.site);
  EXPECT_EQ(err.str(), "");

  const LocatedServer none =
      LocateDomainController(console, locator, "", "nosuch.nestwalk.test", false);
  EXPECT_EQ(none.name, "");
  EXPECT_EQ(err.str(), "DSGetDCName: No such domain - 1355\n");
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace nestwalk
