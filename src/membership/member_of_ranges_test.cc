#include "membership/member_of_ranges.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

TEST(ParseValueRangeTest, AcceptsOnlyWellFormedRangesOfTheType) {
  struct Case {
    const char* name;
    std::optional<ValueRange> range;
  };
  const Case cases[] = {
      {"memberOf;range=0-1499", ValueRange{0, 1499}},
      {"MEMBEROF;Range=1500-*", ValueRange{1500, std::nullopt}},
      {"memberOf;range=7-7", ValueRange{7, 7}},
      {"memberOf", std::nullopt},
      {"member;range=0-1", std::nullopt},
      {"memberOfX;range=0-1", std::nullopt},
      {"memberOf;range=5-4", std::nullopt},
      {"memberOf;range=0-", std::nullopt},
      {"memberOf;range=-1-5", std::nullopt},
      {"memberOf;range=0-1x", std::nullopt},
      {"memberOf;range=0", std::nullopt},
      {"memberOf;range=99999999999999999999-*", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<ValueRange> got = ParseValueRange(c.name, "memberOf");
    ASSERT_EQ(got.has_value(), c.range.has_value()) << c.name;
    if (!got) continue;
    EXPECT_EQ(got->first, c.range->first) << c.name;
    EXPECT_EQ(got->last, c.range->last) << c.name;
  }
}

const platform::SearchRequest kRead{.base = "CN=G,DC=corp,DC=example,DC=com",
                                    .scope = platform::SearchScope::kBase,
                                    .filter = "(objectclass=*)",
                                    .attributes = {"sAMAccountName", "memberOf", "groupType"},
                                    .attributesOnly = false};

std::vector<std::string> GroupDns(int count) {
  std::vector<std::string> dns;
  for (int i = 0; i < count; ++i) {
    dns.push_back("CN=Group" + std::to_string(i) + ",DC=corp,DC=example,DC=com");
  }
  return dns;
}

class CollectMemberOfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddCorpWithDc1(forest_, true);
    std::vector<std::string> dns = GroupDns(8);
    forest_.AddGroup(kRead.base, "G", "2", {});
    for (const std::string& dn : dns) forest_.AddGroup(dn, "x", "2", {kRead.base});
    connection_ = testing::BindTo(forest_, testing::kCorpDc1Host);
  }

  std::vector<std::string> Collect() {
    platform::SearchResult first = forest_.Search(connection_, kRead);
    EXPECT_EQ(first.entries.size(), 1u);
    MemberOfValues collected =
        CollectMemberOf(captured_.console, forest_, connection_, kRead, first.entries.front());
    EXPECT_TRUE(collected.complete);
    return collected.values;
  }

  fake::FakeForest forest_;
  testing::CapturedConsole captured_;
  platform::LdapHandle connection_;
};

TEST_F(CollectMemberOfTest, FetchesTheRemainingRangesOnTheSameConnection) {
  struct Case {
    int limit;
    int searches;  // the first read included
  };
  const std::vector<std::string> whole = Collect();
  std::vector<std::string> sorted = whole;
  std::sort(sorted.begin(), sorted.end());
  ASSERT_EQ(sorted, GroupDns(8));
  for (Case c : {Case{3, 3}, Case{4, 2}, Case{7, 2}, Case{8, 1}, Case{1, 8}}) {
    forest_.SetMaxValueRange(c.limit);
    const std::size_t before = forest_.searches().size();
    // In the same order as one unlimited answer.
    EXPECT_EQ(Collect(), whole) << "limit " << c.limit;
    EXPECT_EQ(forest_.searches().size() - before, static_cast<std::size_t>(c.searches))
        << "limit " << c.limit;
    for (std::size_t i = before + 1; i < forest_.searches().size(); ++i) {
      const fake::SearchRecord& search = forest_.searches()[i];
      EXPECT_EQ(search.handle, connection_);
      EXPECT_EQ(search.request.base, kRead.base);
      EXPECT_EQ(search.request.scope, platform::SearchScope::kBase);
      EXPECT_EQ(search.request.filter, kRead.filter);
      ASSERT_EQ(search.request.attributes.size(), 1u);
      EXPECT_EQ(search.request.attributes[0].rfind("memberOf;range=", 0), 0u);
    }
  }
  EXPECT_EQ(captured_.err.str(), "");
}

// A server that answers searches from a script, for answers that misbehave.
class ScriptedSearches : public fake::FakeForest {
 public:
  std::deque<platform::SearchResult> answers;
  std::vector<platform::SearchRequest> asked;

  platform::SearchResult Search(platform::LdapHandle, const platform::SearchRequest& r) override {
    asked.push_back(r);
    if (answers.empty()) return {.code = platform::kLdapNoSuchObject, .entries = {}};
    platform::SearchResult next = answers.front();
    answers.pop_front();
    return next;
  }
};

platform::Entry Piece(const std::string& name, std::vector<std::string> values) {
  return platform::Entry{.dn = kRead.base, .attributes = {{name, std::move(values)}}};
}

platform::SearchResult Answer(const std::string& name, std::vector<std::string> values) {
  return {.code = 0, .entries = {Piece(name, std::move(values))}};
}

TEST(CollectMemberOfScriptedTest, StopsWithWhatCameWhenAPieceIsMissingOrDoesNotAdvance) {
  const std::string incomplete = "ERROR: Couldn't read all memberOf values of " + kRead.base + "\n";
  struct Case {
    const char* name;
    std::vector<platform::SearchResult> followUps;
    std::vector<std::string> values;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"two more pieces",
       {Answer("memberOf;range=2-3", {"c", "d"}), Answer("memberOf;range=4-*", {"e"})},
       {"a", "b", "c", "d", "e"},
       ""},
      {"an empty final piece", {Answer("memberOf;range=2-*", {})}, {"a", "b"}, ""},
      {"the follow-up fails",
       {platform::SearchResult{.code = platform::kLdapServerDown, .entries = {}}},
       {"a", "b"},
       "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: Can't contact LDAP server\n\n" + incomplete},
      {"no entry", {platform::SearchResult{}}, {"a", "b"}, incomplete},
      {"a piece that starts elsewhere",
       {Answer("memberOf;range=0-1", {"a", "b"})},
       {"a", "b"},
       incomplete},
      {"a non-final piece without values",
       {Answer("memberOf;range=2-3", {})},
       {"a", "b"},
       incomplete},
      {"plain memberOf instead of a piece", {Answer("memberOf", {"c"})}, {"a", "b"}, incomplete},
  };
  for (const Case& c : cases) {
    ScriptedSearches directory;
    directory.answers.assign(c.followUps.begin(), c.followUps.end());
    testing::CapturedConsole captured;
    MemberOfValues collected =
        CollectMemberOf(captured.console, directory, platform::LdapHandle(1), kRead,
                        Piece("memberOf;range=0-1", {"a", "b"}));
    EXPECT_EQ(collected.values, c.values) << c.name;
    EXPECT_EQ(collected.complete, c.err.empty()) << c.name;
    EXPECT_EQ(captured.err.str(), c.err) << c.name;
    EXPECT_EQ(directory.asked.size(), c.followUps.size()) << c.name;
    EXPECT_EQ(directory.asked.front().attributes, std::vector<std::string>{"memberOf;range=2-*"})
        << c.name;
  }
}

TEST(CollectMemberOfScriptedTest, APieceEndingAtTheLargestPositionAsksForNoFurtherPiece) {
  ScriptedSearches directory;
  testing::CapturedConsole captured;
  EXPECT_EQ(CollectMemberOf(captured.console, directory, platform::LdapHandle(1), kRead,
                            Piece("memberOf;range=0-9223372036854775807", {"a"}))
                .values,
            std::vector<std::string>{"a"});
  EXPECT_EQ(captured.err.str(), "ERROR: Couldn't read all memberOf values of " + kRead.base + "\n");
  EXPECT_TRUE(directory.asked.empty());
}

TEST(CollectMemberOfScriptedTest, PlainValuesAndAbsentAttributeNeedNoFurtherSearch) {
  ScriptedSearches directory;
  testing::CapturedConsole captured;
  EXPECT_EQ(CollectMemberOf(captured.console, directory, platform::LdapHandle(1), kRead,
                            Piece("memberOf", {"x", "y"}))
                .values,
            (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(CollectMemberOf(captured.console, directory, platform::LdapHandle(1), kRead,
                            Piece("sAMAccountName", {"G"}))
                .values,
            std::vector<std::string>{});
  EXPECT_TRUE(directory.asked.empty());
}

}  // namespace
}  // namespace nestwalk
