#include "ldap/root_dse.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"
#include "support/corp_forest.h"

namespace nestwalk {
namespace {

using platform::Attribute;
using platform::LdapHandle;
using testing::CapturedConsole;

constexpr const char* kDc1 = testing::kCorpDc1Host;
constexpr char kIntegration[] = "1.2.840.113556.1.4.1791";
constexpr char kActiveDirectory[] = "1.2.840.113556.1.4.800";
constexpr char kV51[] = "1.2.840.113556.1.4.1670";
constexpr char kAdam[] = "1.2.840.113556.1.4.1851";

class RootDseTest : public ::testing::Test {
 protected:
  RootDseTest() { testing::AddCorpWithDc1(forest, false); }

  CRootDSE Read(std::vector<Attribute> attributes) {
    forest.SetRootDse(kDc1, std::move(attributes));
    return Read();
  }
  CRootDSE Read() {
    connection = forest.Open(std::string(kDc1), 389, false).handle;
    forest.NegotiateBind(connection, std::nullopt);
    return CRootDSE(console.console, forest, connection);
  }

  fake::FakeForest forest;
  CapturedConsole console{true};
  LdapHandle connection;
};

TEST_F(RootDseTest, NamesTheVersionAndLevelsFromCapabilities) {
  struct Case {
    std::vector<std::string> capabilities;
    std::optional<std::string> domainLevel;
    std::optional<std::string> forestLevel;
    std::string version;
    std::string domainMode;
    std::string forestMode;
  };
  const Case cases[] = {
      {{kActiveDirectory, kV51, kIntegration},
       "2",
       "0",
       "Windows Server 2003",
       "Windows Server 2003 Domain Mode",
       "Windows 2000 Mixed Forest Mode"},
      {{kActiveDirectory}, "2", "2", "Windows 2000", "", ""},  // levels need the V51 capability
      {{kIntegration}, std::nullopt, std::nullopt, "Unknown Windows LDAP", "", ""},
      {{kAdam, kActiveDirectory},
       std::nullopt,
       std::nullopt,
       "Active Directory Application Mode",
       "",
       ""},
      {{kAdam, kV51},
       "1",
       "1",
       "Windows Server 2003",
       "Windows Server 2003 Interim Domain Mode",
       "Windows Server 2003 Interim Forest Mode"},
      {{kV51},
       std::nullopt,
       std::nullopt,
       "Windows Server 2003",
       "Windows 2000 Mixed Mode",
       "Windows 2000 Mixed Forest Mode"},
      {{kV51}, "3", "2", "Windows Server 2003", "", "Windows Server 2003 Forest Mode"},
      {{kV51}, "-1", " 2", "Windows Server 2003", "", "Windows Server 2003 Forest Mode"},
      {{kV51}, "4294967298", "2x", "Windows Server 2003", "", "Windows Server 2003 Forest Mode"},
      {{"1.2.840.113556.1.4.800 "}, std::nullopt, std::nullopt, "", "", ""},  // exact text only
      {{}, "2", "2", "", "", ""},
  };
  for (const Case& c : cases) {
    std::vector<Attribute> attributes{{"supportedCapabilities", c.capabilities}};
    if (c.domainLevel) attributes.push_back({"domainFunctionality", {*c.domainLevel}});
    if (c.forestLevel) attributes.push_back({"forestFunctionality", {*c.forestLevel}});
    const CRootDSE dse = Read(attributes);
    const std::string name = c.capabilities.empty() ? "none" : c.capabilities[0];
    EXPECT_TRUE(dse.valid) << name;
    EXPECT_EQ(dse.versionName, c.version) << name;
    EXPECT_EQ(dse.domainModeName, c.domainMode) << name;
    EXPECT_EQ(dse.forestModeName, c.forestMode) << name;
  }
  EXPECT_EQ(console.err.str(), "");
  EXPECT_EQ(console.out.str(), "");
}

TEST_F(RootDseTest, CopiesTheFirstValueOfEachAttribute) {
  const CRootDSE dse = Read({
      {"schemaNamingContext", {"CN=Schema,CN=Configuration,DC=corp", "ignored"}},
      {"configurationNamingContext", {"CN=Configuration,DC=corp"}},
      {"defaultNamingContext", {"DC=child,DC=corp"}},
      {"rootDomainNamingContext", {"DC=corp"}},
      {"dnsHostName", {kDc1}},
      {"dsServiceName", {"CN=NTDS Settings,CN=DC1"}},
      {"highestCommittedUSN", {"000123"}},
      {"ldapServiceName", {"corp.example.com:dc1$@CORP.EXAMPLE.COM"}},
      {"serverName", {"CN=DC1,CN=Servers"}},
      {"currentTime", {"20261208012000.0Z"}},
      {"namingContexts", {"DC=corp", "CN=Configuration,DC=corp", "DC=corp"}},
      {"supportedCapabilities", {kV51, kActiveDirectory, kV51}},
      {"domainFunctionality", {"2"}},
      {"forestFunctionality", {"1"}},
  });
  ASSERT_TRUE(dse.valid);
  EXPECT_EQ(dse.schemaNamingContext, "CN=Schema,CN=Configuration,DC=corp");
  EXPECT_EQ(dse.configurationNamingContext, "CN=Configuration,DC=corp");
  EXPECT_EQ(dse.defaultNamingContext, "DC=child,DC=corp");
  EXPECT_EQ(dse.rootDomainNamingContext, "DC=corp");
  EXPECT_EQ(dse.dnsHostName, kDc1);
  EXPECT_EQ(dse.dsServiceName, "CN=NTDS Settings,CN=DC1");
  EXPECT_EQ(dse.highestCommittedUsn, "000123");  // kept as sent
  EXPECT_EQ(dse.ldapServiceName, "corp.example.com:dc1$@CORP.EXAMPLE.COM");
  EXPECT_EQ(dse.serverName, "CN=DC1,CN=Servers");
  EXPECT_EQ(dse.currentTime, "20261208012000.0Z");
  EXPECT_EQ(dse.namingContextCount, 3);
  EXPECT_EQ(dse.namingContexts,
            (std::vector<std::string>{"DC=corp", "CN=Configuration,DC=corp", "DC=corp"}));
  EXPECT_EQ(dse.supportedCapabilities.size(), 2u);
  EXPECT_EQ(dse.domainFunctionality, 2);
  EXPECT_EQ(dse.forestFunctionality, 1);
  EXPECT_EQ(forest.connection(connection).unbindCount, 0);
}

TEST_F(RootDseTest, MissingAttributesKeepTheirInitialValues) {
  const CRootDSE dse = Read({{"defaultNamingContext", {}}, {"namingContexts", {}}});
  EXPECT_TRUE(dse.valid);
  EXPECT_EQ(dse.defaultNamingContext, "");
  EXPECT_EQ(dse.namingContextCount, 0);
  EXPECT_TRUE(dse.namingContexts.empty());
  EXPECT_TRUE(dse.supportedCapabilities.empty());
  EXPECT_EQ(dse.versionName, "");
}

TEST_F(RootDseTest, ReadsTheBaseEntryWithAllAttributes) {
  const CRootDSE dse = Read();
  EXPECT_TRUE(dse.valid);
  EXPECT_EQ(dse.defaultNamingContext, testing::kCorpDomainDn);
  ASSERT_FALSE(forest.searches().empty());
  const platform::SearchRequest& request = forest.searches().back().request;
  EXPECT_EQ(request.base, "");
  EXPECT_EQ(request.scope, platform::SearchScope::kBase);
  EXPECT_EQ(request.filter, "(objectClass=*)");
  EXPECT_TRUE(request.attributes.empty());
  EXPECT_FALSE(request.attributesOnly);
}

TEST_F(RootDseTest, FailedSearchReportsAndClosesTheConnection) {
  forest.FailSearch(kDc1, 389, "", 32);
  const CRootDSE dse = Read();
  EXPECT_FALSE(dse.valid);
  EXPECT_EQ(dse.defaultNamingContext, "");
  EXPECT_EQ(console.err.str(),
            "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: " + forest.ErrorText(32) + "\n\n");
  EXPECT_EQ(console.out.str(), "");
  EXPECT_EQ(forest.connection(connection).unbindCount, 1);
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

}  // namespace
}  // namespace nestwalk
