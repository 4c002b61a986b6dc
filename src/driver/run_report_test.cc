// Whole runs with -path, -token and -json, and the warning after an incomplete answer: standard
// output, standard error and the status compared in full against fake forests.
#include "driver/run_report.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "membership/membership_fixture.h"
#include "platform/sid.h"
#include "support/run_harness.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;
using Json = nlohmann::json;

const std::string kBanner =
    "\nNestwalk V02.03.00LNX by the Nestwalk developers (nestwalk-developers@example.org) June "
    "2006\n\n";

constexpr char kBoth[] = "CN=Both,OU=Groups,DC=corp,DC=example,DC=com";
constexpr char kUEmea[] = "CN=U-Emea,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kBuiltinUsers[] = "CN=Users,CN=Builtin,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kViaZahn[] = "CN=Via-Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kGhost[] = "CN=Ghost,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";

// The three-domain forest with a group of every kind for the token: Both (a root universal
// reached from U-All and U-Emea alike, a diamond), U-Emea (a universal of alice's own domain),
// the built-in Users (domain local, holding Domain Users), Via-Zahn (security, reached only
// through the distribution group Zahn), Ghost (in alice's memberOf, with no entry anywhere) and
// two sIDHistory values of alice.
void BuildTokenForest(fake::FakeForest& forest) {
  Forest::Build(forest, /*otherIsGc=*/true);
  forest.AddGroup(kBoth, "Both", "-2147483640", {kUEmea, Forest::kUAll});
  forest.AddGroup(kUEmea, "U-Emea", "-2147483640", {Forest::kStaff});
  forest.AddGroup(kBuiltinUsers, "Users", "-2147483643", {Forest::kDomainUsers});
  forest.AddGroup(kViaZahn, "Via-Zahn", "-2147483646", {Forest::kZahn});
  // An entry's own memberOf replaces the computed one: Staff stays, Ghost comes in.
  forest.AddValue(Forest::kAlice, "memberOf", Forest::kStaff);
  forest.AddValue(Forest::kAlice, "memberOf", kGhost);
  forest.AddValue(Forest::kAlice, "sIDHistory", *platform::SidFromText("S-1-5-21-9-9-9-1001"));
  forest.AddValue(Forest::kAlice, "sIDHistory", *platform::SidFromText("S-1-5-21-9-9-9-1002"));
}

// Ghost is asked of the GC and of emea's DC, and neither has it.
const std::string kGhostFailures =
    "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: No such object\n\n"
    "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: No such object\n\n";
const std::string kOneGroupShort =
    "WARNING: 1 group could not be read in full; the list may be incomplete\n";

struct Expected {
  std::string out;
  std::string err;
  int status = 0;
};

void ExpectRun(const std::vector<std::string>& args, const Expected& expected) {
  fake::FakeForest forest;
  BuildTokenForest(forest);
  testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
  EXPECT_EQ(outcome.out, expected.out);
  EXPECT_EQ(outcome.err, expected.err);
  EXPECT_EQ(outcome.status, expected.status);
}

TEST(RunReportTest, ChainsAndTokenOfAUserAndOfAGroup) {
  const std::string groups =
      "  [Global Security] [All] CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n";
  ExpectRun(
      {"-u", "EMEA\\alice", "-path", "-token"},
      {"Security Principal: [USER] EMEA\\alice\n"
       "Group Memberships:\n"
       "  [Global Security] [All] CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> All\n"
       "  [Universal Security] [Both] CN=Both,OU=Groups,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> U-All -> Both\n"
       "  [Local Security] [DL-Other] CN=DL-Other,DC=other,DC=test\n"
       "      via: alice -> Staff -> U-Other -> DL-Other\n"
       "  [Global Security] [Domain Users] CN=Domain "
       "Users,CN=Users,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice =primary=> Domain Users\n"
       "  [Unknown Distribution] [] CN=Ghost,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> CN=Ghost,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "  [Global Security] [Staff] CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff\n"
       "  [Universal Security] [U-All] CN=U-All,OU=Groups,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> U-All\n"
       "  [Universal Security] [U-Emea] CN=U-Emea,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> U-Emea\n"
       "  [Universal Security] [U-Other] CN=U-Other,DC=other,DC=test\n"
       "      via: alice -> Staff -> U-Other\n"
       "  [Universal Distribution] [U-Other2] CN=U-Other2,DC=other,DC=test\n"
       "      via: alice -> Staff -> U-Other2\n"
       "  [Local Security] [Users] CN=Users,CN=Builtin,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice =primary=> Domain Users -> Users\n"
       "  [Global Security] [Via-Zahn] CN=Via-Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> Zahn -> Via-Zahn\n"
       "  [Global Distribution] [Zahn] CN=Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> Zahn\n"
       "  [Global Distribution] [\xC4rzte] CN=\xC4rzte,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: alice -> Staff -> \xC4rzte\n"
       // d: Both, DL-Other, U-All, U-Other, Users and two sIDHistory values; s: All, Domain
       // Users, Staff, U-Emea. Via-Zahn is reached through a distribution group only.
       "Token Size Estimate:\n"
       "  d (domain local, other domains' universal, SID history): 7\n"
       "  s (global, own domain's universal): 4\n"
       "  1200 + 40 x 7 + 8 x 4 = 1512 bytes\n"
       "  over 12000 bytes (the old default MaxTokenSize): no\n"
       "  over 48000 bytes (the default MaxTokenSize, the usual HTTP header limit): no\n"
       "  SIDs: 11 of at most 1015\n",
       kBanner + kGhostFailures + kOneGroupShort, 0});

  // A group principal in a cycle: its own entry comes back through All.
  ExpectRun(
      {"-group", "EMEA\\Staff", "-path", "-token", "-q"},
      {"Security Principal: [GROUP] EMEA\\Staff\n"
       "  [Global Security] [All] CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> All\n"
       "  [Universal Security] [Both] CN=Both,OU=Groups,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> U-All -> Both\n"
       "  [Local Security] [DL-Other] CN=DL-Other,DC=other,DC=test\n"
       "      via: Staff -> U-Other -> DL-Other\n"
       "  [Global Security] [Staff] cn=STAFF,ou=groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> All -> Staff\n"
       "  [Universal Security] [U-All] CN=U-All,OU=Groups,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> U-All\n"
       "  [Universal Security] [U-Emea] CN=U-Emea,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> U-Emea\n"
       "  [Universal Security] [U-Other] CN=U-Other,DC=other,DC=test\n"
       "      via: Staff -> U-Other\n"
       "  [Universal Distribution] [U-Other2] CN=U-Other2,DC=other,DC=test\n"
       "      via: Staff -> U-Other2\n"
       "  [Global Security] [Via-Zahn] CN=Via-Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> Zahn -> Via-Zahn\n"
       "  [Global Distribution] [Zahn] CN=Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> Zahn\n"
       "  [Global Distribution] [\xC4rzte] CN=\xC4rzte,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
       "      via: Staff -> \xC4rzte\n"
       "Token Size Estimate: none, a group has no Kerberos token of its own\n",
       "", 0});
}

TEST(RunReportTest, OnlyTheSwitchesThatNeedSidsReadThem) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> lookup;     // what the account lookup asks for
    std::vector<std::string> groupRead;  // what the read of a group asks for
  };
  const std::vector<std::string> classic = {"sAMAccountName", "memberOf", "groupType"};
  const Case cases[] = {
      {{}, {"primaryGroupID"}, classic},
      {{"-path"}, {"primaryGroupID"}, classic},
      {{"-token"}, {"primaryGroupID", "sIDHistory"}, classic},
      {{"-json"}, {"primaryGroupID", "objectSid", "sIDHistory"},
       {"sAMAccountName", "memberOf", "groupType", "objectSid"}},
  };
  for (const Case& c : cases) {
    fake::FakeForest forest;
    BuildTokenForest(forest);
    std::vector<std::string> args = {"-u", "EMEA\\alice"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    testing::RunNestwalk(forest, args);
    int lookups = 0;
    int groupReads = 0;
    for (const fake::SearchRecord& search : forest.searches()) {
      if (search.request.filter.find("sAMAccountName=alice") != std::string::npos) {
        ++lookups;
        EXPECT_EQ(search.request.attributes, c.lookup) << args.back();
      } else if (LowerCaseText(search.request.base) == LowerCaseText(Forest::kStaff)) {
        ++groupReads;
        EXPECT_EQ(search.request.attributes, c.groupRead) << args.back();
      }
    }
    EXPECT_EQ(lookups, 1) << args.back();
    EXPECT_EQ(groupReads, 2) << args.back();  // through the GC, then emea's DC
  }
}

// Whether `document` passes the repository's schema (the check also rejects invalid UTF-8).
bool MatchesSchema(const std::string& document, const std::string& name) {
  const std::string path = ::testing::TempDir() + "/" + name + ".json";
  std::ofstream(path, std::ios::binary) << document;
  const std::string command = std::string("python3 ") + NESTWALK_SCHEMA_CHECK + " " +
                              NESTWALK_REPORT_SCHEMA + " " + path;
  return std::system(command.c_str()) == 0;
}

TEST(RunReportTest, JsonDocumentsHoldWhatTheTextShowsAndMatchTheSchema) {
  fake::FakeForest forest;
  BuildTokenForest(forest);
  testing::RunOutcome outcome = testing::RunNestwalk(forest, {"-json", "-u", "EMEA\\alice"});
  EXPECT_EQ(outcome.err, kBanner + kGhostFailures + kOneGroupShort);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(MatchesSchema(outcome.out, "three-domains"));
  const Json document = Json::parse(outcome.out);  // the document alone: no principal line
  EXPECT_EQ(document["token"],
            (Json{{"d", 7}, {"s", 4}, {"bytes", 1512}, {"over12000", false},
                  {"over48000", false}, {"sids", 11}, {"sidLimit", 1015},
                  {"overSidLimit", false}}));
  EXPECT_EQ(document["complete"], false);
  EXPECT_EQ(document["unread"], (Json::array({{{"subject", kGhost}, {"reason", "the search failed"}}})));
  ASSERT_EQ(document["groups"].size(), 14u);
  EXPECT_EQ(document["groups"][1]["path"],
            (Json::array({Forest::kStaff, Forest::kUAll, kBoth})));
  EXPECT_EQ(document["groups"][1]["depth"], 3);
  EXPECT_EQ(document["groups"][4]["read"], false);
}

// The documents are written as their values come, without a tree: laid out byte for byte as
// the dump of their tree, indented for one account and one a line in a review.
TEST(RunReportTest, JsonDocumentsAreLaidOutAsTheDumpOfTheirTree) {
  using OrderedJson = nlohmann::ordered_json;
  fake::FakeForest forest;
  BuildTokenForest(forest);
  const std::string single =
      testing::RunNestwalk(forest, {"-q", "-json", "-u", "EMEA\\alice"}).out;
  EXPECT_EQ(single, OrderedJson::parse(single).dump(2) + "\n");
  fake::FakeForest again;
  BuildTokenForest(again);
  const std::string lines =
      testing::RunNestwalk(again, {"-q", "-json", "-in", "-"}, "EMEA\\alice\ngroup EMEA\\Staff\n")
          .out;
  std::size_t documents = 0;
  for (std::size_t start = 0; start < lines.size(); ++documents) {
    const std::size_t end = lines.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = lines.substr(start, end - start);
    EXPECT_EQ(line, OrderedJson::parse(line).dump());
    start = end + 1;
  }
  EXPECT_EQ(documents, 2u);
  // A line holds what the indented document of the same account holds.
  EXPECT_EQ(OrderedJson::parse(lines.substr(0, lines.find('\n'))), OrderedJson::parse(single));
}

TEST(RunReportTest, WithDebugTheTraceMeantForStandardOutputGoesToStandardErrorUnderJson) {
  fake::FakeForest forest;
  BuildTokenForest(forest);
  const testing::RunOutcome plain = testing::RunNestwalk(forest, {"-json", "-u", "EMEA\\alice"});
  fake::FakeForest again;
  BuildTokenForest(again);
  const testing::RunOutcome traced =
      testing::RunNestwalk(again, {"-json", "-d", "-u", "EMEA\\alice"});
  EXPECT_EQ(traced.out, plain.out);
  EXPECT_NE(traced.err.find("DEBUG: RootDSE Completed\n"), std::string::npos);
}

TEST(RunReportTest, JsonEscapesWhatTheDirectoryHolds) {
  // Quotes, backslashes, a control byte and a byte that is no UTF-8 (0xC4) in a DN and a name.
  const std::string odd = "CN=Q\\\"uote\\\\Back\x01\xC4,DC=corp,DC=example,DC=com";
  const std::string oddName = "Q\"uote\\Back\x01\xC4";
  const std::string bob = "CN=Bob,CN=Users,DC=corp,DC=example,DC=com";
  const std::string users = "CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com";
  fake::FakeForest forest;
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddUser(bob, "bob", "513", 1104);
  forest.AddGroup(users, "Domain Users", "-2147483646", {}, 513);
  forest.AddGroup(odd, oddName, "4", {bob}, 1200);
  testing::RunOutcome outcome = testing::RunNestwalk(forest, {"/JSON", "-q", "-u", "CORP\\bob"});
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(MatchesSchema(outcome.out, "escapes"));
  const Json expected = {
      {"principal",
       {{"kind", "user"},
        {"name", "CORP\\bob"},
        {"dn", bob},
        {"sid", "S-1-5-21-1-2-3-1104"}}},
      {"groups",
       Json::array({
           {{"dn", users},
            {"sAMAccountName", "Domain Users"},
            {"scope", "Global"},
            {"kind", "Security"},
            {"sid", "S-1-5-21-1-2-3-513"},
            {"read", true},
            {"path", Json::array({users})},
            {"depth", 1},
            {"viaPrimaryGroup", true}},
           {{"dn", "CN=Q\\\"uote\\\\Back\x01\\C4,DC=corp,DC=example,DC=com"},
            {"sAMAccountName", "Q\"uote\\Back\x01\\C4"},
            {"scope", "Local"},
            {"kind", "Distribution"},
            {"sid", "S-1-5-21-1-2-3-1200"},
            {"read", true},
            {"path", Json::array({"CN=Q\\\"uote\\\\Back\x01\\C4,DC=corp,DC=example,DC=com"})},
            {"depth", 1},
            {"viaPrimaryGroup", false}},
       })},
      {"token",
       {{"d", 0}, {"s", 1}, {"bytes", 1208}, {"over12000", false}, {"over48000", false},
        {"sids", 1}, {"sidLimit", 1015}, {"overSidLimit", false}}},
      {"complete", true},
      {"unread", Json::array()},
  };
  EXPECT_EQ(Json::parse(outcome.out), expected);
}

}  // namespace
}  // namespace nestwalk
