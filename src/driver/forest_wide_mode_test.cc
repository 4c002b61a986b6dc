#include "driver/forest_wide_mode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "locate/sites_fixture.h"

namespace nestwalk {
namespace {

using testing::CapturedConsole;
using namespace testing::sites;  // the two-site forest and its builders

// The forest's locator, noting which servers the domain enumeration is asked of.
class EnumerationRecorder : public platform::Locator {
 public:
  explicit EnumerationRecorder(platform::Locator& locator) : locator_(locator) {}
  platform::LocatorAnswer GetDcName(const std::string& computerName, const std::string& domainName,
                                    unsigned flags) override {
    return locator_.GetDcName(computerName, domainName, flags);
  }
  platform::SiteAnswer GetSiteName(const std::string& computerName) override {
    return locator_.GetSiteName(computerName);
  }
  platform::ForestDomainsAnswer EnumerateForestDomains(const std::string& serverName) override {
    askedOf.push_back(serverName);
    return locator_.EnumerateForestDomains(serverName);
  }
  std::vector<std::string> askedOf;

 private:
  platform::Locator& locator_;
};

// The DC dc1 in Hub and the GC gc9 in Branch, each with its own connection.
class ForestWideModeTest : public ::testing::Test {
 protected:
  ForestWideModeTest() {
    AddCorpForest(forest, /*globalCatalog=*/false);
    forest.AddServer({"gc9.corp.com", kRootDn, "Branch", true});
    AddServerObject(forest, ServerDn("DC1", "Hub"), kHost);
    AddNtdsSettings(forest, ServerDn("DC1", "Hub"), "1", {kChildDn});
    servers.dcConnection = BoundConnectionTo(forest, kHost);
    servers.gcConnection = forest.Open("gc9.corp.com", 3268, false).handle;
    forest.NegotiateBind(servers.gcConnection, std::nullopt);
    servers.dcRootDse.configurationNamingContext = kConfigNc;
    servers.dcName = kHost;
    servers.dcSite = "hub";
    servers.gcName = "gc9.corp.com";
    servers.gcSite = "branch";
  }

  ForestSurvey Run(CapturedConsole& captured) {
    platform::Services services{forest, locator, forest};
    return RunForestWideMode(captured.console, services, servers);
  }

  fake::FakeForest forest;
  EnumerationRecorder locator{forest};
  SelectedServers servers;
};

// Names come back in any letter case; the map holds them lower-cased, so the inventory,
// which derives lower-cased names from DNs, finds them.
TEST_F(ForestWideModeTest, AsksTheGcEntersDomainsLowerCasedAndSearchesOverTheDc) {
  forest.SetForestDomains({0, {"CORP.COM", "Child.Corp.Com"}});
  CapturedConsole captured(false);
  ForestSurvey survey = Run(captured);

  EXPECT_EQ(captured.out.str(), "");
  EXPECT_EQ(captured.err.str(), "");
  EXPECT_EQ(locator.askedOf, std::vector<std::string>{"gc9.corp.com"});
  EXPECT_EQ(survey.forestDomains, (ForestDomainMap{{"child.corp.com", true}, {"corp.com", true}}));
  ASSERT_EQ(survey.inventory.gcs.size(), 1u);
  EXPECT_EQ(survey.inventory.gcs.begin()->second.domainName, "child.corp.com");

  std::vector<std::string> searched;
  for (const fake::SearchRecord& search : forest.searches()) {
    EXPECT_TRUE(search.paged);
    EXPECT_EQ(search.handle, servers.dcConnection);
    searched.push_back(search.request.filter);
  }
  EXPECT_EQ(searched,
            (std::vector<std::string>{
                "(|(objectcategory=server)(&(objectcategory=ntdsdsa)"
                "(options:1.2.840.113556.1.4.803:=1)))",
                "(&(objectcategory=sitelink)(sitelist=cn=hub,cn=sites," + kConfigNc + "))",
                "(&(objectcategory=sitelink)(sitelist=cn=branch,cn=sites," + kConfigNc + "))"}));
}

TEST_F(ForestWideModeTest, DebugTraceListsTheDomainsInTheOrderReturned) {
  forest.SetForestDomains({0, {"CORP.COM", "Child.Corp.Com"}});
  CapturedConsole captured(true);
  Run(captured);

  EXPECT_TRUE(captured.err.str().starts_with(
      "TRYALL: Locate GC for all domains...\nEnumerate the forest domains\n"
      "Number of Domains: 2\n\tcorp.com\n\tchild.corp.com\nServer Object\n"))
      << captured.err.str();
}

// Every failure of the enumeration, whatever its status, gives the one line and no searches.
class ForestWideModeFailureTest : public ForestWideModeTest,
                                  public ::testing::WithParamInterface<int> {};

TEST_P(ForestWideModeFailureTest, ReportsTheStatusAndSkipsTheSearches) {
  forest.SetForestDomains({GetParam(), {"corp.com"}});
  for (bool debug : {false, true}) {
    CapturedConsole captured(debug);
    ForestSurvey survey = Run(captured);

    std::string line = "Couldn't enumerate Forest trusts - " + std::to_string(GetParam()) + "\n";
    EXPECT_EQ(captured.out.str(), "");
    EXPECT_EQ(captured.err.str(),
              debug ? "TRYALL: Locate GC for all domains...\nEnumerate the forest domains\n" + line
                    : line);
    EXPECT_TRUE(survey.forestDomains.empty());
  }
  EXPECT_TRUE(forest.searches().empty());
}

INSTANTIATE_TEST_SUITE_P(Statuses, ForestWideModeFailureTest,
                         ::testing::Values(1355, 1722, platform::kLdapServerDown,
                                           platform::kLdapInvalidCredentials));

}  // namespace
}  // namespace nestwalk
