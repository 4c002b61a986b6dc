#include "locate/gc_inventory.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "locate/scripted_directory_fixture.h"
#include "locate/sites_fixture.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

using testing::CapturedConsole;
using namespace testing::sites;  // the two-site forest and its builders

const GcInventory kFullInventory{{kDc1Key, {"dc1.corp.com", "corp.com", "hub"}},
                                 {kDc2Key, {"--", "child.corp.com", "branch"}},
                                 {kDc3Key, {"", "", "branch"}}};
const ServerHostMap kAllServerHosts{
    {kDc1Key, "dc1.corp.com"}, {kDc2Key, "--"}, {kDc4Key, "dc4.corp.com"}};

const ForestDomainMap kForestDomains{{"corp.com", true}, {"child.corp.com", true}};

struct Outcome {
  ForestGcInventory inventory;
  std::string out;
  std::string err;
};

class GcInventoryTest : public ::testing::Test {
 protected:
  GcInventoryTest() { AddCorpForest(forest); }

  void Add(const std::vector<ConfigObject>& objects) {
    for (const ConfigObject& object : objects) object.add(forest);
  }

  Outcome Read(bool debug, const ForestDomainMap& domains = kForestDomains) {
    CapturedConsole captured(debug);
    ForestGcInventory inventory = ReadForestGcInventory(
        captured.console, forest, BoundConnectionTo(forest, kHost), kConfigNc, domains);
    return {inventory, captured.out.str(), captured.err.str()};
  }

  fake::FakeForest forest;
};

struct ArrivalCase {
  const char* label;
  std::vector<ConfigObject> objects;  // in the order the directory returns them
  int maxPageSize;                    // 0: everything on one page
  int pageRequests;                   // pages delivered plus the request that ends the walk
  friend void PrintTo(const ArrivalCase& c, std::ostream* os) { *os << c.label; }
};

class GcInventoryArrivalTest : public GcInventoryTest,
                               public ::testing::WithParamInterface<ArrivalCase> {};

// Whatever the order and the paging, the join gives the same inventory and listing.
TEST_P(GcInventoryArrivalTest, JoinsAndListsWhateverTheOrderAndPaging) {
  const ArrivalCase& c = GetParam();
  Add(c.objects);
  forest.SetMaxPageSize(c.maxPageSize);
  Outcome outcome = Read(true);

  std::string trace;
  for (const ConfigObject& object : c.objects) trace += object.trace;
  EXPECT_EQ(outcome.out, PageTrace(c.pageRequests));
  EXPECT_EQ(outcome.err, trace + kFullListing);
  EXPECT_EQ(outcome.inventory.gcs, kFullInventory);
  EXPECT_EQ(outcome.inventory.serverHosts, kAllServerHosts);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, GcInventoryArrivalTest,
    ::testing::Values(
        ArrivalCase{"ServersFirstOnePage",
                    {kDc1Server, kDc2Server, kDc4Server, kDc1Ntds, kDc2Ntds, kDc3Ntds, kDc4Ntds},
                    0,
                    2},
        ArrivalCase{"SettingsFirstPagesOfTwo",
                    {kDc4Ntds, kDc3Ntds, kDc2Ntds, kDc1Ntds, kDc4Server, kDc2Server, kDc1Server},
                    2,
                    4},
        ArrivalCase{"InterleavedPagesOfOne",
                    {kDc1Server, kDc1Ntds, kDc2Ntds, kDc2Server, kDc3Ntds, kDc4Server, kDc4Ntds},
                    1,
                    7}),
    [](const ::testing::TestParamInfo<ArrivalCase>& info) { return info.param.label; });

TEST_F(GcInventoryTest, AsksForServersAndGlobalCatalogSettingsInPagesOfAThousand) {
  Add({kDc1Server, kDc1Ntds});
  Outcome outcome = Read(false);

  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.inventory.gcs.size(), 1u);
  ExpectOnePagedSearch(forest, "CN=Sites," + kConfigNc,
                       "(|(objectcategory=server)(&(objectcategory=ntdsdsa)"
                       "(options:1.2.840.113556.1.4.803:=1)))",
                       {"hasMasterNCs", "dNSHostName"});
}

TEST_F(GcInventoryTest, FailingPageKeepsWhatWasReadAndStillListsIt) {
  Add({kDc1Server, kDc1Ntds, kDc2Server, kDc2Ntds, kDc3Ntds});
  forest.SetMaxPageSize(2);
  forest.FailPagedSearchAfter(1, platform::kLdapServerDown);
  Outcome outcome = Read(true);

  EXPECT_EQ(outcome.out, PageTrace(2));
  EXPECT_EQ(outcome.err, kDc1Server.trace + kDc1Ntds.trace + kDc1Listing);
  EXPECT_EQ(outcome.inventory.gcs, (GcInventory{{kDc1Key, {"dc1.corp.com", "corp.com", "hub"}}}));
}

TEST_F(GcInventoryTest, SearchThatCannotStartLeavesAnEmptyInventory) {
  Add({kDc1Server, kDc1Ntds});
  forest.FailPagedSearchStart();
  Outcome outcome = Read(true);

  EXPECT_EQ(outcome.out, "DEBUG: Search Initialized...\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(outcome.inventory.gcs.empty());
  EXPECT_TRUE(outcome.inventory.serverHosts.empty());
}

// Only the exact spelling "CN=NTDS Settings," marks a GC's settings; anything else is read as
// a server object. A domain counts only when the map flags it true.
TEST_F(GcInventoryTest, ExactPrefixAndFlaggedDomainsOnly) {
  const std::string lowerPrefixed = "cn=ntds settings," + kDc2;
  forest.AddEntry(lowerPrefixed, {{"objectCategory", {"ntdsdsa"}}, {"options", {"1"}}});
  Add({kDc1Server, kDc1Ntds});
  Outcome outcome = Read(false, {{"corp.com", false}, {"child.corp.com", true}});

  EXPECT_EQ(outcome.inventory.serverHosts,
            (ServerHostMap{{LowerCaseText(lowerPrefixed), "--"}, {kDc1Key, "dc1.corp.com"}}));
  EXPECT_EQ(outcome.inventory.gcs,
            (GcInventory{{kDc1Key, {"dc1.corp.com", "child.corp.com", "hub"}}}));
}

// The DN comes from the server: one too short to name a site gives an empty site, not a crash.
TEST(GcInventoryShortDnTest, SettingsDnWithoutSiteComponentGivesNoSite) {
  std::vector<std::vector<platform::Entry>> pages{{{"CN=NTDS Settings,CN=DC9", {}}}};
  testing::ScriptedDirectory directory(pages);
  CapturedConsole captured(true);
  ForestGcInventory inventory =
      ReadForestGcInventory(captured.console, directory, platform::LdapHandle(1), kConfigNc, {});

  EXPECT_EQ(inventory.gcs, (GcInventory{{"cn=dc9", {"", "", ""}}}));
  EXPECT_EQ(captured.err.str(), "NTDSDSA Object\nServerDN: CN=DC9\nMasterNC: \nSite: \n" +
                                    kSeparator + "DN: cn=dc9\nDomain:\nDNS HostName:\nSite:\n" +
                                    kSeparator);
}

}  // namespace
}  // namespace nestwalk
