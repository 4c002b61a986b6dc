#include "report/membership_graph.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

// A key is found by the address of the map's own copy or, for any other copy, by its letters;
// a view of the map's key that is shorter starts at the same address and is another key.
TEST(MembershipGraphTest, FindsAKeyByItsOwnAddressOrByItsLetters) {
  GroupDetailsMap groups;
  for (const char* dn : {"CN=B,DC=corp", "CN=A,DC=corp", "CN=AB,DC=corp"}) {
    groups.AddGroupOf("CN=Ann,DC=corp", dn);
  }
  const MembershipGraph graph(groups, "CN=Ann,DC=corp");
  MembershipGraph::Node node = 0;
  for (const auto& [key, group] : groups.entries()) {
    EXPECT_EQ(graph.Find(key), node) << key;
    EXPECT_EQ(graph.Find(std::string(key)), node) << key;
    EXPECT_EQ(graph.Find(std::string_view(key).substr(0, 4)), std::nullopt) << key;
    ++node;
  }
  EXPECT_EQ(graph.Find("cn=c,dc=corp"), std::nullopt);
  EXPECT_EQ(graph.Find("cn=ann,dc=corp"), std::nullopt);  // the account is no group node
}

}  // namespace
}  // namespace nestwalk
