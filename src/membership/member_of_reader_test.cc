#include "membership/member_of_reader.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

const std::string kA = "CN=A,DC=corp,DC=example,DC=com";
const std::string kB = "CN=B,DC=corp,DC=example,DC=com";
const std::string kG = "CN=G,DC=corp,DC=example,DC=com";
const std::string kGKey = "cn=g,dc=corp,dc=example,dc=com";
const std::string kAlice = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";

class EnumerateMembershipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddCorpWithDc1(forest_, true);
    forest_.AddUser(kAlice, "alice", "513");
    forest_.AddGroup(kG, "G", "-2147483646", {kAlice});
    forest_.AddGroup(kA, "A", "2", {kG, kAlice});
    forest_.AddGroup(kB, "B", "8", {kG});
    connection_ = testing::BindTo(forest_, testing::kCorpDc1Host);
  }

  fake::FakeForest forest_;
  platform::LdapHandle connection_;
  GroupDetailsMap groups_;
};

TEST_F(EnumerateMembershipsTest, StoresDetailsOnceAndAddsOnlyNewGroups) {
  groups_.AddGroup(kG);
  groups_.AddGroup("cn=a,DC=CORP,dc=example,dc=com");
  testing::CapturedConsole first(/*debug=*/true);
  EnumerateMemberships(first.console, forest_, connection_, kGKey, groups_, false);
  EXPECT_EQ(first.err.str(), "Enumerating [" + kGKey +
                                 "]\n"
                                 "1 entries returned\n"
                                 "sAMAccountName: G\n"
                                 "GroupType: -2147483646\n"
                                 "Group Details stored for " +
                                 kGKey +
                                 "\n"
                                 "2 memberOf entries returned\n"
                                 "Groups:\n"
                                 "\t" +
                                 kA +
                                 " - Duplicate\n"
                                 "\t" +
                                 kB + " - Added\n");
  EXPECT_EQ(first.out.str(), "");
  EXPECT_EQ(groups_.size(), 3u);
  EXPECT_EQ(groups_.Find("cn=a,dc=corp,dc=example,dc=com")->dn, "cn=a,DC=CORP,dc=example,dc=com");
  EXPECT_EQ(groups_.Find("cn=b,dc=corp,dc=example,dc=com")->dn, kB);
  EXPECT_EQ(groups_.Find(kGKey)->sAMAccountName, "G");
  EXPECT_EQ(groups_.Find(kGKey)->groupType, "-2147483646");

  // A second read (through another server, say) keeps the first details and says nothing of
  // them.
  groups_.StoreDetails(kGKey, {"G", "-2147483646", ""});
  testing::CapturedConsole second(/*debug=*/true);
  EnumerateMemberships(second.console, forest_, connection_, kG, groups_, false);
  EXPECT_EQ(second.err.str(), "Enumerating [" + kG +
                                  "]\n"
                                  "1 entries returned\n"
                                  "sAMAccountName: G\n"
                                  "GroupType: -2147483646\n"
                                  "2 memberOf entries returned\n"
                                  "Groups:\n"
                                  "\t" +
                                  kA +
                                  " - Duplicate\n"
                                  "\t" +
                                  kB + " - Duplicate\n");
}

TEST_F(EnumerateMembershipsTest, ThePrincipalGetsNoEntryOfItsOwn) {
  testing::CapturedConsole quiet;
  EnumerateMemberships(quiet.console, forest_, connection_, kAlice, groups_, true);
  EXPECT_EQ(quiet.err.str(), "");
  ASSERT_EQ(groups_.size(), 2u);
  EXPECT_NE(groups_.Find("cn=a,dc=corp,dc=example,dc=com"), nullptr);
  EXPECT_NE(groups_.Find("cn=g,dc=corp,dc=example,dc=com"), nullptr);
  EXPECT_EQ(groups_.Find("cn=alice,cn=users,dc=corp,dc=example,dc=com"), nullptr);
  for (const auto& [key, group] : groups_.entries()) EXPECT_EQ(group.sAMAccountName, "");
}

TEST_F(EnumerateMembershipsTest, MissingAttributesGiveTheirMarkers) {
  const std::string bare = "CN=Bare,DC=corp,DC=example,DC=com";
  forest_.AddEntry(bare, {{"objectClass", {"group"}}, {"objectCategory", {"group"}}});
  groups_.AddGroup(bare);
  testing::CapturedConsole captured(/*debug=*/true);
  EnumerateMemberships(captured.console, forest_, connection_, bare, groups_, false);
  EXPECT_EQ(captured.err.str(), "Enumerating [" + bare +
                                    "]\n"
                                    "1 entries returned\n"
                                    "sAMAccountName: ~~Unknown~~\n"
                                    "GroupType: -1\n"
                                    "Group Details stored for " +
                                    bare +
                                    "\n"
                                    "0 memberOf entries returned\n"
                                    "Groups:\n");
  EXPECT_EQ(groups_.Find("cn=bare,dc=corp,dc=example,dc=com")->groupType, "-1");
  EXPECT_EQ(groups_.size(), 1u);
}

TEST_F(EnumerateMembershipsTest, FailedReadsWriteTheirLinesInEveryModeAndAddNothing) {
  forest_.FailSearch(testing::kCorpDc1Host, std::nullopt, kA, platform::kLdapServerDown);
  struct Case {
    std::string dn;
    std::string err;
  };
  const Case cases[] = {
      {kA, "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: Can't contact LDAP server\n\n"},
      {"CN=Nobody,DC=corp,DC=example,DC=com",
       "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: No such object\n\n"},
  };
  for (const Case& c : cases) {
    testing::CapturedConsole captured;
    EnumerateMemberships(captured.console, forest_, connection_, c.dn, groups_, true);
    EXPECT_EQ(captured.err.str(), c.err) << c.dn;
    EXPECT_TRUE(groups_.empty()) << c.dn;
  }
}

// A server whose base search succeeds with the entries given, which no well-behaved server
// sends for a base search other than one.
class FixedAnswer : public fake::FakeForest {
 public:
  explicit FixedAnswer(std::vector<platform::Entry> entries) : entries_(std::move(entries)) {}
  platform::SearchResult Search(platform::LdapHandle, const platform::SearchRequest&) override {
    return {.code = platform::kLdapSuccess, .entries = entries_};
  }

 private:
  std::vector<platform::Entry> entries_;
};

TEST(EnumerateMembershipsAnswerTest, NoEntryOrSeveralGiveOneLineInEveryModeAndAddNothing) {
  const platform::Entry listing{.dn = kG, .attributes = {{"memberOf", {kA}}}};
  struct Case {
    const char* name;
    std::vector<platform::Entry> entries;
    std::string line;
  };
  const Case cases[] = {
      {"no entry", {}, "ERROR: Couldn't find " + kG + "\n"},
      {"two entries", {listing, listing}, "ERROR: Multiple items returned for " + kG + "\n"},
  };
  for (const Case& c : cases) {
    for (bool debug : {false, true}) {
      FixedAnswer directory(c.entries);
      GroupDetailsMap groups;
      testing::CapturedConsole captured(debug);
      EnumerateMemberships(captured.console, directory, platform::LdapHandle(1), kG, groups, true);
      const std::string count = std::to_string(c.entries.size()) + " entries returned\n";
      EXPECT_EQ(captured.err.str(), debug ? "Enumerating [" + kG + "]\n" + count + c.line : c.line)
          << c.name;
      EXPECT_TRUE(groups.empty()) << c.name;
    }
  }
}

TEST_F(EnumerateMembershipsTest, RangedMemberOfCountsAsOneList) {
  for (int i = 0; i < 6; ++i) {
    forest_.AddGroup("CN=R" + std::to_string(i) + ",DC=corp,DC=example,DC=com", "R", "2", {kAlice});
  }
  forest_.SetMaxValueRange(3);
  testing::CapturedConsole captured(/*debug=*/true);
  EnumerateMemberships(captured.console, forest_, connection_, kAlice, groups_, true);
  EXPECT_NE(captured.err.str().find("\n8 memberOf entries returned\n"), std::string::npos)
      << captured.err.str();
  EXPECT_EQ(groups_.size(), 8u);
}

}  // namespace
}  // namespace nestwalk
