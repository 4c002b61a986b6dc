#include "membership/group_details.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

std::vector<std::string> Keys(const GroupDetailsMap& groups) {
  std::vector<std::string> keys;
  for (const auto& [key, group] : groups.entries()) keys.push_back(key);
  return keys;
}

// Processes the map in the order FirstUnprocessedGroup gives, adding `found[key]` when a key
// comes up, as the nested phase does.
std::vector<std::string> VisitOrder(GroupDetailsMap& groups,
                                    const std::map<std::string, std::vector<std::string>>& found) {
  std::vector<std::string> order;
  for (const std::string* key = groups.FirstUnprocessedGroup(); key != nullptr;
       key = groups.FirstUnprocessedGroup()) {
    order.push_back(*key);
    if (auto it = found.find(*key); it != found.end()) {
      for (const std::string& dn : it->second) groups.AddGroup(dn);
    }
    groups.MarkProcessed(*key);
  }
  return order;
}

TEST(GroupDetailsMapTest, KeysAreFoldedDnsAndTheFirstSpellingStays) {
  GroupDetailsMap groups;
  EXPECT_TRUE(groups.AddGroup("CN=Sales,DC=corp"));
  EXPECT_FALSE(groups.AddGroup("cn=SALES,dc=CORP"));
  EXPECT_FALSE(groups.AddGroup(""));
  ASSERT_EQ(groups.size(), 1u);
  const data* sales = groups.Find("cn=sales,dc=corp");
  ASSERT_NE(sales, nullptr);
  EXPECT_EQ(sales->dn, "CN=Sales,DC=corp");
  EXPECT_FALSE(sales->processed);
  EXPECT_EQ(sales->sAMAccountName, "");
  EXPECT_EQ(sales->groupType, "");
}

TEST(GroupDetailsMapTest, KeysSortByUnsignedBytesWithPrefixesFirst) {
  GroupDetailsMap groups;
  for (const char* dn :
       {"cn=\xC4x,dc=a", "cn=zz,dc=a", "cn=a,dc=a", "cn=a,dc=a,dc=b", "cn=B,dc=a"}) {
    groups.AddGroup(dn);
  }
  EXPECT_EQ(Keys(groups), (std::vector<std::string>{"cn=a,dc=a", "cn=a,dc=a,dc=b", "cn=b,dc=a",
                                                    "cn=zz,dc=a", "cn=\xC4x,dc=a"}));
}

TEST(GroupDetailsMapTest, DetailsAreStoredOnceAndOnlyForKnownEntries) {
  GroupDetailsMap groups;
  groups.AddGroup("CN=G,DC=corp");
  EXPECT_TRUE(groups.StoreDetails("cn=g,dc=corp", {"G", "-2147483646", ""}));
  EXPECT_FALSE(groups.StoreDetails("cn=g,dc=corp", {"Other", "8", ""}));
  EXPECT_FALSE(groups.StoreDetails("cn=missing,dc=corp", {"M", "2", ""}));
  EXPECT_EQ(groups.Find("cn=g,dc=corp")->sAMAccountName, "G");
  EXPECT_EQ(groups.Find("cn=g,dc=corp")->groupType, "-2147483646");
  EXPECT_EQ(groups.size(), 1u);
}

TEST(GroupDetailsMapTest, PendingEntriesComeSmallestKeyFirstAndReevaluatedAfterEachGroup) {
  struct Case {
    const char* name;
    std::vector<std::string> initial;
    std::map<std::string, std::vector<std::string>> found;
    std::vector<std::string> order;
  };
  const std::vector<Case> cases = {
      {"empty map", {}, {}, {}},
      {"found order does not matter", {"cn=b,dc=x", "cn=a,dc=x"}, {}, {"cn=a,dc=x", "cn=b,dc=x"}},
      {"a smaller key added later still goes before larger pending ones",
       {"cn=b,dc=x", "cn=d,dc=x"},
       {{"cn=b,dc=x", {"CN=C,DC=X", "CN=A,DC=X"}}},
       {"cn=b,dc=x", "cn=a,dc=x", "cn=c,dc=x", "cn=d,dc=x"}},
      {"cycles end: a group already known is not visited again",
       {"cn=a,dc=x"},
       {{"cn=a,dc=x", {"cn=b,dc=x"}}, {"cn=b,dc=x", {"CN=A,dc=x", "cn=b,dc=x"}}},
       {"cn=a,dc=x", "cn=b,dc=x"}},
  };
  for (const Case& c : cases) {
    GroupDetailsMap groups;
    for (const std::string& dn : c.initial) groups.AddGroup(dn);
    EXPECT_EQ(VisitOrder(groups, c.found), c.order) << c.name;
    for (const auto& [key, group] : groups.entries()) EXPECT_TRUE(group.processed) << c.name;
  }
}

TEST(GroupDetailsMapTest, MarkingTwiceOrAnUnknownKeyChangesNothing) {
  GroupDetailsMap groups;
  groups.AddGroup("cn=a,dc=x");
  groups.AddGroup("cn=b,dc=x");
  groups.MarkProcessed("cn=a,dc=x");
  groups.MarkProcessed("cn=a,dc=x");
  groups.MarkProcessed("cn=zzz,dc=x");
  ASSERT_NE(groups.FirstUnprocessedGroup(), nullptr);
  EXPECT_EQ(*groups.FirstUnprocessedGroup(), "cn=b,dc=x");
  EXPECT_EQ(groups.size(), 2u);
}

}  // namespace
}  // namespace nestwalk
