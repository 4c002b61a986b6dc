#include "membership/kept_group_reads.h"

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/console.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

// A read that found the group: its details and memberOf values, and a problem when not empty.
ObjectRead Found(const std::string& name, std::vector<std::string> memberOf,
                 std::string problem = "") {
  ObjectRead read{GroupDetails{name, "-2147483646", ""}, std::move(memberOf), {},
                  std::move(problem)};
  for (const std::string& value : read.memberOf) read.memberOfKeys.push_back(LowerCaseText(value));
  return read;
}

struct ReplayCase {
  const char* name;
  // The account's direct groups, as its own read lists them.
  std::vector<std::string> direct;
  // What the directory gives for each group key.
  std::map<std::string, std::vector<ObjectRead>> reads;
  // The keys whose reads an earlier walk kept; the others are read (taken in one by one).
  std::set<std::string> kept;
  // Groups already processed, with details, before the nested phase (a -complete rebuild).
  std::set<std::string> processedBefore;
};

void PrintTo(const ReplayCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kAccount = "CN=U,DC=x";

GroupDetailsMap StartingMap(const ReplayCase& c, GroupNodePool* pool = nullptr) {
  GroupDetailsMap groups = pool != nullptr ? GroupDetailsMap(*pool) : GroupDetailsMap();
  for (const std::string& dn : c.direct) groups.AddGroupOf(kAccount, dn);
  for (const std::string& key : c.processedBefore) {
    groups.StoreDetails(key, {"Before", "2", ""});
    groups.MarkProcessed(key);
  }
  return groups;
}

const std::vector<ObjectRead>& ReadsOf(const ReplayCase& c, const std::string& key) {
  static const std::vector<ObjectRead> kNone;
  auto it = c.reads.find(key);
  return it == c.reads.end() ? kNone : it->second;
}

// What a map holds, field by field, in order.
using Held = std::tuple<std::vector<std::tuple<std::string, std::string, bool, std::string,
                                               std::string, std::string, std::string>>,
                        std::vector<std::pair<std::string, std::string>>,
                        std::vector<std::tuple<std::string, std::string, bool>>>;

Held Contents(const GroupDetailsMap& groups) {
  Held held;
  for (const auto& [key, group] : groups.entries()) {
    std::get<0>(held).emplace_back(key, group.dn, group.processed, group.sAMAccountName,
                                   group.groupType, group.objectSid, group.forest);
  }
  for (const ReadProblem& problem : groups.problems()) {
    std::get<1>(held).emplace_back(problem.subject, problem.reason);
  }
  for (const MembershipLink& link : groups.links()) {
    std::get<2>(held).emplace_back(link.member, link.group, link.primaryGroup);
  }
  return held;
}

class KeptGroupReadsTest : public ::testing::TestWithParam<ReplayCase> {};

// A replay leaves the map exactly as taking the same reads in one group at a time does.
TEST_P(KeptGroupReadsTest, ReplayTakesReadsInAsTheNestedPhaseDoes) {
  const ReplayCase& c = GetParam();
  std::ostream discarded(nullptr);
  Console silent(discarded, discarded, /*quiet=*/true, /*debug=*/false);

  GroupDetailsMap expected = StartingMap(c);
  for (const std::string* key = expected.FirstUnprocessedGroup(); key != nullptr;
       key = expected.FirstUnprocessedGroup()) {
    for (const ObjectRead& read : ReadsOf(c, *key)) {
      TakeObjectRead(silent, *key, read, expected, false);
    }
    expected.MarkProcessed(*key);
  }

  KeptGroupReads kept;
  for (const std::string& key : c.kept) kept.Keep(key, ReadsOf(c, key));
  // Nodes of a map that is gone, every field of them set, for the replay to take over.
  GroupNodePool pool;
  {
    GroupDetailsMap gone(pool);
    for (int i = 0; i < 8; ++i) {
      const std::string dn = "CN=Gone" + std::to_string(i) + ",DC=y";
      gone.AddGroup(dn);
      gone.StoreDetails(LowerCaseText(dn), {"Gone", "8", "SID"});
      gone.SetForest(LowerCaseText(dn), "other.example");
      gone.MarkProcessed(LowerCaseText(dn));
    }
  }
  ASSERT_EQ(pool.size(), 8u);
  GroupDetailsMap replayed = StartingMap(c, &pool);
  for (const std::string* key = replayed.FirstUnprocessedGroup(); key != nullptr;
       key = replayed.FirstUnprocessedGroup()) {
    if (kept.Has(*key)) {
      kept.Replay(replayed);
      continue;
    }
    for (const ObjectRead& read : ReadsOf(c, *key)) {
      TakeObjectRead(silent, *key, read, replayed, false);
    }
    replayed.MarkProcessed(*key);
  }

  EXPECT_EQ(Contents(replayed), Contents(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeptGroupReadsTest,
    ::testing::Values(
        ReplayCase{"shared parents are added once and linked from both",
                   {"CN=A,DC=x"},
                   {{"cn=a,dc=x", {Found("A", {"CN=B,DC=x", "CN=C,DC=x"})}},
                    {"cn=b,dc=x", {Found("B", {"CN=D,DC=x"})}},
                    {"cn=c,dc=x", {Found("C", {"CN=D,DC=x"})}},
                    {"cn=d,dc=x", {Found("D", {})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=c,dc=x", "cn=d,dc=x"},
                   {}},
        ReplayCase{"the spelling first reached stays",
                   {"CN=B,DC=x", "CN=A,DC=x"},
                   {{"cn=a,dc=x", {Found("A", {"cn=D,dc=X"})}},
                    {"cn=b,dc=x", {Found("B", {"CN=D,DC=x"})}},
                    {"cn=d,dc=x", {Found("D", {})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=d,dc=x"},
                   {}},
        ReplayCase{"failed and broken reads record their problems in walk order",
                   {"CN=A,DC=x"},
                   {{"cn=a,dc=x",
                     {Found("A", {"CN=C,DC=x", "CN=B,DC=x"}, "not all of its memberOf values")}},
                    {"cn=b,dc=x", {FailedRead("the search failed")}},
                    {"cn=c,dc=x", {FailedRead("the server did not find it"),
                                   Found("C", {"CN=E,DC=x"})}},
                    {"cn=e,dc=x", {Found("E", {})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=c,dc=x", "cn=e,dc=x"},
                   {}},
        ReplayCase{"the first details with a name win across a group's reads",
                   {"CN=A,DC=x", "CN=B,DC=x"},
                   {{"cn=a,dc=x", {Found("A-gc", {"CN=B,DC=x"}), Found("A-dc", {})}},
                    {"cn=b,dc=x", {Found("", {}), Found("B-dc", {"CN=C,DC=x"})}},
                    {"cn=c,dc=x", {Found("C", {})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=c,dc=x"},
                   {}},
        ReplayCase{"groups that were never kept are read between kept ones in key order",
                   {"CN=A,DC=x"},
                   {{"cn=a,dc=x", {Found("A", {"CN=C,DC=x", "CN=B,DC=x"})}},
                    {"cn=b,dc=x", {Found("B", {"CN=AA,DC=x", "CN=D,DC=x"})}},
                    {"cn=aa,dc=x", {Found("AA", {"CN=D,DC=x"})}},
                    {"cn=c,dc=x", {Found("C", {"CN=Z,DC=x"})}},
                    {"cn=d,dc=x", {Found("D", {})}},
                    {"cn=z,dc=x", {Found("Z", {})}}},
                   {"cn=a,dc=x", "cn=aa,dc=x", "cn=c,dc=x", "cn=z,dc=x"},
                   {}},
        ReplayCase{"cycles, self-membership, the account's own key and empty values",
                   {"CN=A,DC=x"},
                   {{"cn=a,dc=x", {Found("A", {"CN=A,DC=x", "", "CN=B,DC=x"})}},
                    {"cn=b,dc=x", {Found("B", {"CN=A,DC=x", kAccount})}},
                    {"cn=u,dc=x", {Found("U", {"CN=B,DC=x"})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=u,dc=x"},
                   {}},
        ReplayCase{"groups processed before the phase keep their state and details",
                   {"CN=A,DC=x", "CN=B,DC=x"},
                   {{"cn=a,dc=x", {Found("A", {"CN=B,DC=x", "CN=C,DC=x"})}},
                    {"cn=b,dc=x", {Found("B", {"CN=D,DC=x"})}},
                    {"cn=c,dc=x", {Found("C", {})}},
                    {"cn=d,dc=x", {Found("D", {})}}},
                   {"cn=a,dc=x", "cn=b,dc=x", "cn=c,dc=x", "cn=d,dc=x"},
                   {"cn=b,dc=x"}}));

TEST(KeptGroupReadsCountTest, CountsGroupsAndReadsKeptOnce) {
  KeptGroupReads kept;
  kept.Keep("cn=a,dc=x", {Found("A", {"CN=B,DC=x"}), Found("A", {})});
  kept.Keep("cn=a,dc=x", {Found("A again", {})});
  EXPECT_TRUE(kept.Has("cn=a,dc=x"));
  EXPECT_FALSE(kept.Has("cn=b,dc=x"));  // named by a kept read, not kept itself
  EXPECT_EQ(kept.groupsKept(), 1u);
  EXPECT_EQ(kept.readsKept(), 2u);
}

}  // namespace
}  // namespace nestwalk
