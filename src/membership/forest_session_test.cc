#include "membership/forest_session.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/account_walk.h"
#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

constexpr char kBob[] = "CN=Bob,OU=Staff,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kBobs[] = "CN=Bobs,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";

// The three-domain forest with bob of emea in Staff beside alice, and in Bobs of his own, which
// is in U-Other as Staff is.
void Build(fake::FakeForest& forest) {
  Forest::Build(forest, /*otherIsGc=*/false);
  forest.AddUser(kBob, "bob", "513");
  forest.AddValue(Forest::kStaff, "member", kBob);
  forest.AddGroup(kBobs, "Bobs", "-2147483646", {kBob});
  forest.AddValue(Forest::kUOther, "member", kBobs);
}

// Every group an account's walk found, by key, with its name and type.
std::map<std::string, std::string> Walk(ForestSession& session, const std::string& samName) {
  const SelectedServers& servers = session.servers();
  AccountWalk walk(session, {PrincipalKind::kUser, samName},
                   {servers.dcRootDse.defaultNamingContext, servers.dcConnection});
  EXPECT_TRUE(walk.LookUp()) << samName;
  walk.ReadDirectMemberships();
  walk.ExpandNested();
  std::map<std::string, std::string> groups;
  for (const auto& [key, group] : walk.groups().entries()) {
    EXPECT_TRUE(group.processed) << key;
    groups[key] = group.sAMAccountName + " " + group.groupType;
  }
  return groups;
}

// A second account of a session is walked over the servers and the group reads of the first: it
// reads only its own entry and the groups the first did not reach, binds nothing, and finds what
// a session of its own finds.
TEST(ForestSessionTest, ASecondAccountTakesWhatTheFirstRead) {
  for (const WalkPace pace : {WalkPace::kOneReadAtATime, WalkPace::kReadAhead}) {
    SCOPED_TRACE(pace == WalkPace::kReadAhead ? "read ahead" : "one read at a time");
    fake::FakeForest alone;
    Build(alone);
    testing::CapturedConsole aloneConsole;
    std::map<std::string, std::string> expected;
    {
      ForestSession session(aloneConsole.console, alone, pace, ReadNeeds{}, "");
      ASSERT_TRUE(session.Connect("EMEA"));
      expected = Walk(session, "bob");
    }

    fake::FakeForest forest;
    Build(forest);
    testing::CapturedConsole console;
    ForestSession session(console.console, forest, pace, ReadNeeds{}, "");
    ASSERT_TRUE(session.Connect("EMEA"));
    Walk(session, "alice");
    const std::size_t opened = forest.connections().size();
    const int staffReads = forest.SearchCount(Forest::kDc2, 389, Forest::kStaff);
    const int uOtherReads = forest.SearchCount(Forest::kDc3, 389, Forest::kUOther);
    ASSERT_GT(staffReads, 0);
    ASSERT_GT(uOtherReads, 0);

    EXPECT_EQ(Walk(session, "bob"), expected);
    EXPECT_EQ(forest.connections().size(), opened);
    EXPECT_EQ(forest.SearchCount(Forest::kDc2, 389, Forest::kStaff), staffReads);
    EXPECT_EQ(forest.SearchCount(Forest::kDc3, 389, Forest::kUOther), uOtherReads);
    EXPECT_EQ(forest.SearchCount(Forest::kDc2, 389, kBob), 1);
    EXPECT_EQ(forest.SearchCount(Forest::kDc2, 389, kBobs), 1);
    EXPECT_EQ(console.err.str(), "");
    session.Close();
    EXPECT_EQ(forest.HandleMisuseCount(), 0);
  }
}

}  // namespace
}  // namespace nestwalk
