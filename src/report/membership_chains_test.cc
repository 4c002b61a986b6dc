#include "report/membership_chains.h"

#include <string>

#include <gtest/gtest.h>

#include "membership/group_details.h"
#include "report/membership_graph.h"

namespace nestwalk {
namespace {

constexpr char kAccount[] = "CN=Ann,DC=corp";

// Ann is in B and A (read in that order), both in Top: the chain goes through A, the smaller
// key, whichever link was read first. Ann's primary group P is also in Top, one hop further.
TEST(MembershipChainsTest, TiesGoToTheSmallerKeyAndTheLinesNameEachHop) {
  GroupDetailsMap groups;
  groups.AddGroupOf(kAccount, "CN=B,DC=corp");
  groups.AddGroupOf(kAccount, "CN=A,DC=corp");
  groups.AddPrimaryGroup(kAccount, "CN=P,DC=corp");
  groups.AddGroupOf("CN=B,DC=corp", "CN=Top,DC=corp");
  groups.AddGroupOf("CN=A,DC=corp", "CN=Top,DC=corp");
  groups.AddGroupOf("CN=P,DC=corp", "CN=Q,DC=corp");
  groups.StoreDetails("cn=a,dc=corp", {"A", "-2147483646", ""});
  groups.StoreDetails("cn=top,dc=corp", {"Top", "-2147483640", ""});
  groups.StoreDetails("cn=p,dc=corp", {std::string(kUnknownAccountName), "-2147483646", ""});
  groups.AddGroup("CN=Lone,DC=corp");  // added without a link: no chain leads there

  const MembershipGraph graph(groups, kAccount);
  const MembershipChains chains(graph);
  struct Case {
    const char* key;
    std::string line;
  };
  const Case cases[] = {
      {"cn=top,dc=corp", "      via: ann -> A -> Top\n"},
      {"cn=b,dc=corp", "      via: ann -> CN=B,DC=corp\n"},
      {"cn=q,dc=corp", "      via: ann =primary=> CN=P,DC=corp -> CN=Q,DC=corp\n"},
      {"cn=lone,dc=corp", "      via: (no chain recorded)\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChainLine(graph, chains, *graph.Find(c.key), "ann"), c.line) << c.key;
  }
}

}  // namespace
}  // namespace nestwalk
