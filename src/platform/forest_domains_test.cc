#include "platform/forest_domains.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"

namespace nestwalk::platform {
namespace {

constexpr char kRootDn[] = "DC=corp,DC=example,DC=com";
constexpr char kChildDn[] = "DC=emea,DC=corp,DC=example,DC=com";
constexpr char kPartitions[] = "CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com";
constexpr char kGc[] = "gc1.corp.example.com";

// Two domains, one GC, and two partitions that are no domains (the configuration and an
// application partition).
void BuildForest(fake::FakeForest& forest) {
  forest.AddDomain({kRootDn, "CORP", "S-1-5-21-1-2-3"});
  forest.AddDomain({kChildDn, "EMEA", "S-1-5-21-4-5-6"});
  forest.AddServer({kGc, kRootDn, "Hub", true});
  forest.AddEntry(std::string("CN=Enterprise Configuration,") + kPartitions,
                  {{"objectClass", {"top", "crossRef"}},
                   {"dnsRoot", {"corp.example.com"}},
                   {"systemFlags", {"1"}}});
  forest.AddEntry(std::string("CN=ForestDnsZones,") + kPartitions,
                  {{"objectClass", {"top", "crossRef"}},
                   {"dnsRoot", {"ForestDnsZones.corp.example.com"}},
                   {"systemFlags", {"5"}}});
}

// Every connection the enumeration opened was closed exactly once.
void ExpectAllClosed(const fake::FakeForest& forest, const std::string& label) {
  for (const fake::ConnectionRecord& record : forest.connections()) {
    EXPECT_EQ(record.unbindCount, 1) << label;
  }
  EXPECT_EQ(forest.HandleMisuseCount(), 0) << label;
}

class ForestDomainsTest : public ::testing::Test {
 protected:
  ForestDomainsTest() { BuildForest(forest_); }

  fake::FakeForest forest_;
};

TEST_F(ForestDomainsTest, ListsTheDnsRootOfEveryDomainCrossRef) {
  ForestDomainsAnswer answer = EnumerateForestDomainsOver(forest_, kGc);
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.dnsNames,
            (std::vector<std::string>{"corp.example.com", "emea.corp.example.com"}));

  ASSERT_EQ(forest_.connections().size(), 1u);
  const fake::ConnectionRecord& connection = forest_.connections().front();
  EXPECT_EQ(connection.host, kGc);
  EXPECT_EQ(connection.port, 389);
  EXPECT_FALSE(connection.ssl);
  EXPECT_TRUE(connection.bound);
  EXPECT_FALSE(connection.credentials.has_value());
  EXPECT_EQ(forest_.SearchCount(kGc, 389, kPartitions), 1);
  ExpectAllClosed(forest_, "success");
}

TEST_F(ForestDomainsTest, AcceptsTheLocatorsBackslashForm) {
  ForestDomainsAnswer answer = EnumerateForestDomainsOver(forest_, std::string("\\\\") + kGc);
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.dnsNames.size(), 2u);
  ASSERT_EQ(forest_.connections().size(), 1u);
  EXPECT_EQ(forest_.connections().front().host, kGc);
}

TEST(ForestDomainsFailureTest, EveryFailureGivesItsStatusAndNoNames) {
  const struct {
    const char* name;
    std::function<void(fake::FakeForest&)> arrange;
    std::string server;
    int status;
  } cases[] = {
      {"open fails", [](fake::FakeForest& f) { f.FailOpen(kGc, -11); }, kGc, -11},
      {"bind refused", [](fake::FakeForest& f) { f.FailBind(kGc, 389, 49, "bad ticket"); }, kGc,
       49},
      {"unknown server", [](fake::FakeForest&) {}, "nowhere.example.com", -1},
      {"RootDSE search fails", [](fake::FakeForest& f) { f.FailSearch(kGc, 389, "", 1); }, kGc, 1},
      {"partitions search fails",
       [](fake::FakeForest& f) { f.FailSearch(kGc, 389, kPartitions, 32); }, kGc, 32},
      {"RootDSE without configuration",
       [](fake::FakeForest& f) {
         f.SetRootDse(kGc, {{"defaultNamingContext", {kRootDn}}});
       },
       kGc, kErrorNoSuchDomain},
      {"no domain crossRef",
       [](fake::FakeForest& f) {
         for (const char* name : {"CN=CORP,", "CN=EMEA,"}) {
           f.AddEntry(std::string(name) + kPartitions,
                      {{"objectClass", {"top", "crossRef"}}, {"systemFlags", {"1"}}});
         }
       },
       kGc, kErrorNoSuchDomain},
  };
  for (const auto& c : cases) {
    fake::FakeForest forest;
    BuildForest(forest);
    c.arrange(forest);
    ForestDomainsAnswer answer = EnumerateForestDomainsOver(forest, c.server);
    EXPECT_EQ(answer.status, c.status) << c.name;
    EXPECT_TRUE(answer.dnsNames.empty()) << c.name;
    ExpectAllClosed(forest, c.name);
  }
}

}  // namespace
}  // namespace nestwalk::platform
