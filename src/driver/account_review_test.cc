// Whole runs over many accounts (-in, -under) against a fake forest: each account's report is
// the one its own run writes, each group is read once, and faults stop only their own account.
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "driver/account_review.h"
#include "membership/membership_fixture.h"
#include "support/run_harness.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

const std::string kBanner =
    "\nNestwalk V02.03.00LNX by the Nestwalk developers (nestwalk-developers@example.org) June "
    "2006\n\n";
constexpr char kBob[] = "CN=Bob,OU=Staff,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kCarol[] = "CN=Carol,OU=Staff,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kWs1[] = "CN=WS1,OU=Staff,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kDave[] = "CN=Dave,CN=Users,DC=corp,DC=example,DC=com";

// The three-domain forest with more accounts: bob of emea in Staff like alice, carol of emea in
// no group but her primary one, the computer WS1 of emea in Zahn, dave of the root in U-All and
// in the domain-local DL-Other of other.test, which only -complete finds.
void Build(fake::FakeForest& forest) {
  Forest::Build(forest, /*otherIsGc=*/false);
  forest.AddUser(kBob, "bob", "513");
  forest.AddValue(Forest::kStaff, "member", kBob);
  forest.AddUser(kCarol, "carol", "513");
  forest.AddComputer(kWs1, "WS1$", "515");
  forest.AddGroup("CN=Domain Computers,CN=Users,DC=emea,DC=corp,DC=example,DC=com",
                  "Domain Computers", "-2147483646", {}, 515);
  forest.AddValue(Forest::kZahn, "member", kWs1);
  forest.AddUser(kDave, "dave", "513");
  forest.AddGroup("CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com", "Domain Users",
                  "-2147483646", {}, 513);
  forest.AddValue(Forest::kUAll, "member", kDave);
  forest.AddValue(Forest::kDlOther, "member", kDave);
}

// The list, and each account's own command line.
const std::string kList =
    "# the accounts of the review\n"
    "EMEA\\alice\n"
    "\n"
    "user EMEA\\bob\n"
    "computer EMEA\\WS1\n"
    "  CORP\\dave  \r\n"
    "group EMEA\\Staff\n"
    "EMEA\\carol\n";
const std::vector<std::vector<std::string>> kOwnRuns = {
    {"-u", "EMEA\\alice"}, {"-u", "EMEA\\bob"},      {"-comp", "EMEA\\WS1"},
    {"-u", "CORP\\dave"},  {"-group", "EMEA\\Staff"}, {"-u", "EMEA\\carol"},
};

// What standard output of the review must be: each account's own run, laid out as the format
// of `extra` wants.
std::string ExpectedOutput(const std::vector<std::string>& extra) {
  const bool json = std::ranges::count(extra, "-json") > 0;
  const bool csv = std::ranges::count(extra, "-csv") > 0;
  std::string expected;
  for (std::size_t i = 0; i < kOwnRuns.size(); ++i) {
    fake::FakeForest forest;
    Build(forest);
    std::vector<std::string> args = extra;
    args.insert(args.end(), kOwnRuns[i].begin(), kOwnRuns[i].end());
    const std::string out = testing::RunNestwalk(forest, args).out;
    if (json) {
      expected += out;
    } else if (csv) {
      expected += i == 0 ? out : out.substr(out.find("\r\n") + 2);
    } else {
      expected += (i == 0 ? "" : "\n") + out;
    }
  }
  return expected;
}

// How often each base was searched.
std::map<std::string, int> Reads(const fake::FakeForest& forest) {
  std::map<std::string, int> reads;
  for (const fake::SearchRecord& search : forest.searches()) ++reads[search.request.base];
  return reads;
}

TEST(AccountReviewTest, EachAccountReadsAsItsOwnRunAndEachGroupIsReadOnce) {
  const std::vector<std::vector<std::string>> extras = {
      {},          {"-q"},          {"-path", "-token"}, {"-json"},
      {"-csv"},    {"-csv", "-path", "-token"},          {"-complete"},
      {"-fast"},   {"-fast", "-complete", "-json"},
  };
  for (const std::vector<std::string>& extra : extras) {
    std::string name;
    for (const std::string& word : extra) name += word + " ";
    SCOPED_TRACE(name);
    fake::FakeForest forest;
    Build(forest);
    std::vector<std::string> args = extra;
    args.insert(args.end(), {"-in", "-"});
    const testing::RunOutcome review = testing::RunNestwalk(forest, args, kList);
    const std::string expected = ExpectedOutput(extra);
    if (std::ranges::count(extra, "-json") > 0) {
      // JSON Lines: one document a line, each the document of the account's own run.
      std::istringstream lines(review.out);
      std::string line;
      std::vector<nlohmann::json> documents;
      while (std::getline(lines, line)) documents.push_back(nlohmann::json::parse(line));
      std::istringstream own(expected);
      for (const nlohmann::json& document : documents) {
        nlohmann::json ownDocument;
        own >> ownDocument;
        EXPECT_EQ(document, ownDocument);
      }
      EXPECT_EQ(documents.size(), kOwnRuns.size());
    } else {
      EXPECT_EQ(review.out, expected);
    }
    EXPECT_EQ(review.status, 0);
    EXPECT_EQ(review.err, std::ranges::count(extra, "-q") > 0 ? "" : kBanner);
    // A group that most accounts reach, read once through the GC and once through emea's DC.
    EXPECT_EQ(Reads(forest)[LowerCaseText(Forest::kAll)], 2);
    for (const fake::ConnectionRecord& connection : forest.connections()) {
      if (connection.bound) {
        EXPECT_EQ(connection.unbindCount, 1);
      }
    }
    EXPECT_EQ(forest.HandleMisuseCount(), 0);
  }
}

TEST(AccountReviewTest, AFaultStopsOnlyItsOwnAccount) {
  fake::FakeForest forest;
  Build(forest);
  const testing::RunOutcome review =
      testing::RunNestwalk(forest, {"-q", "-in", "-"},
                           "EMEA\\bob\n"
                           "alice\n"               // no domain
                           "printer EMEA\\x\n"     // no such kind: the line names no account
                           "NOWHERE\\alice\n"      // no such domain in the forest
                           "EMEA\\nobody\n"        // no such account
                           "user emea\\BOB\n"      // bob again
                           "EMEA\\carol\n");
  fake::FakeForest own;
  Build(own);
  const std::string bob = testing::RunNestwalk(own, {"-q", "-u", "EMEA\\bob"}).out;
  fake::FakeForest ownCarol;
  Build(ownCarol);
  const std::string carol = testing::RunNestwalk(ownCarol, {"-q", "-u", "EMEA\\carol"}).out;
  EXPECT_EQ(review.out, bob + "\n" + carol);
  const std::string expected = "expected domain\\name, or user, computer or group and domain\\name\n";
  EXPECT_EQ(review.err,
            "Error: standard input line 2: " + expected + "Error: standard input line 3: " +
                expected +
                "ERROR: No domain NOWHERE in the forest\n"
                "ERROR: Couldn't find SAMName nobody in DC=emea,DC=corp,DC=example,DC=com\n");
  EXPECT_EQ(review.status, kSomeAccountsUnreported);
}

TEST(AccountReviewTest, TheUsersAndComputersUnderADn) {
  fake::FakeForest forest;
  Build(forest);
  const testing::RunOutcome review = testing::RunNestwalk(
      forest, {"-q", "-csv", "-under", "OU=Staff,DC=emea,DC=corp,DC=example,DC=com"});
  std::vector<std::string> accounts;
  std::istringstream rows(review.out);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row, "account,accountDn,groupDn,groupName,scope,kind\r");
  while (std::getline(rows, row)) {
    const std::string account = row.substr(0, row.find(','));
    if (std::ranges::count(accounts, account) == 0) accounts.push_back(account);
  }
  EXPECT_EQ(accounts, (std::vector<std::string>{"EMEA\\alice", "EMEA\\bob", "EMEA\\carol",
                                                "EMEA\\WS1$"}));
  EXPECT_EQ(review.err, "");
  EXPECT_EQ(review.status, 0);
}

TEST(AccountReviewTest, AnInterruptEndsTheRunAfterAWholeAccount) {
  fake::FakeForest forest;
  Build(forest);
  forest.control().InterruptAt(2);
  const testing::RunOutcome review =
      testing::RunNestwalk(forest, {"-q", "-json", "-in", "-"}, kList);
  EXPECT_TRUE(forest.control().catchesInterrupts());
  EXPECT_EQ(std::ranges::count(review.out, '\n'), 2);
  EXPECT_EQ(review.status, 130);
}

TEST(AccountReviewTest, AProgressLineOnATerminalIsClearedAtTheEnd) {
  for (const bool terminal : {false, true}) {
    fake::FakeForest forest;
    Build(forest);
    forest.control().SetErrorIsTerminal(terminal);
    const std::string err = testing::RunNestwalk(forest, {"-in", "-"}, kList).err;
    if (!terminal) {
      EXPECT_EQ(err, kBanner);
      continue;
    }
    EXPECT_NE(err.find("\raccounts: 1, groups read: "), std::string::npos) << err;
    EXPECT_NE(err.find(", reads/s: "), std::string::npos) << err;
    EXPECT_EQ(err.substr(err.size() - 4), "\r\x1b[K");
  }
}

// Each CSV row of `csv` by the account it starts with, the header left out.
std::map<std::string, std::vector<std::string>> RowsByAccount(const std::string& csv) {
  std::map<std::string, std::vector<std::string>> rows;
  std::istringstream lines(csv);
  std::string row;
  std::getline(lines, row);
  while (std::getline(lines, row)) rows[row.substr(0, row.find(','))].push_back(row);
  return rows;
}

// How many searches a fault-free review of kList with `args` makes of `host`.
int SearchesOf(const std::string& host, const std::vector<std::string>& args) {
  fake::FakeForest forest;
  Build(forest);
  testing::RunNestwalk(forest, args, kList);
  int searches = 0;
  for (const fake::SearchRecord& search : forest.searches()) {
    searches += forest.connection(search.handle).host == host ? 1 : 0;
  }
  return searches;
}

// A server whose connections are reset mid-review is reached again on a new connection, and the
// accounts whose reads it cut are walked again: the review is the one a fault-free run writes.
TEST(AccountReviewFaultTest, ALostConnectionIsMadeAgainAndNoAccountFallsShort) {
  for (const char* host : {testing::kCorpDc1Host, Forest::kDc2}) {
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"-q", "-csv"}, {"-q", "-fast", "-csv"}, {"-q", "-path"}}) {
      std::vector<std::string> args = extra;
      args.insert(args.end(), {"-in", "-"});
      const int searches = SearchesOf(host, args);
      for (const int answered : {3, searches / 2, searches - 2}) {
        SCOPED_TRACE(std::string(host) + " after " + std::to_string(answered) + " of " +
                     std::to_string(searches) + " " + extra[1]);
        fake::FakeForest forest;
        Build(forest);
        forest.ResetConnections(host, answered);
        const testing::RunOutcome review = testing::RunNestwalk(forest, args, kList);
        EXPECT_EQ(review.out, ExpectedOutput(extra));
        EXPECT_EQ(review.status, 0) << review.err;
        EXPECT_NE(review.err.find("Can't contact LDAP server"), std::string::npos) << review.err;
        EXPECT_EQ(forest.HandleMisuseCount(), 0);
      }
    }
  }
}

// A GC that freezes mid-review cannot be replaced: every account it cut short carries one
// INCOMPLETE row instead of rows that read as a whole answer, and the review ends with 8; the
// accounts read before are those of their own runs, and none is left out.
TEST(AccountReviewFaultTest, AnAccountWhoseReadsFellShortIsNoReportedAccount) {
  const std::vector<std::string> args = {"-q", "-csv", "-in", "-"};
  fake::FakeForest forest;
  Build(forest);
  forest.FreezeServer(testing::kCorpDc1Host, SearchesOf(testing::kCorpDc1Host, args) - 4);
  const testing::RunOutcome review = testing::RunNestwalk(forest, args, kList);
  EXPECT_EQ(review.status, kSomeAccountsUnreported);
  const auto own = RowsByAccount(ExpectedOutput({"-csv"}));
  int incomplete = 0;
  for (const auto& [account, rows] : RowsByAccount(review.out)) {
    if (rows.size() == 1 && rows[0].find(",,INCOMPLETE: ") != std::string::npos) {
      ++incomplete;
      EXPECT_TRUE(rows[0].ends_with(" could not be read in full,,\r") ||
                  rows[0].ends_with(" fell short,,\r"))
          << rows[0];
      continue;
    }
    EXPECT_EQ(rows, own.at(account)) << account;
  }
  EXPECT_GT(incomplete, 0) << review.out;
  EXPECT_LT(incomplete, static_cast<int>(own.size())) << review.out;
  EXPECT_EQ(RowsByAccount(review.out).size(), own.size()) << "an account was left out";
}

// Without -fast an interrupt during a read makes libldap report the server gone: the account
// being walked is not written, and the output ends after the last account read whole.
TEST(AccountReviewFaultTest, AnInterruptDuringAReadLeavesTheAccountOut) {
  for (const char* format : {"-csv", "-json", "-path"}) {
    SCOPED_TRACE(format);
    fake::FakeForest forest;
    Build(forest);
    // WS1's primary group, first read for the third account.
    forest.InterruptDuringSearch(testing::kCorpDc1Host,
                                 "CN=Domain Computers,CN=Users,DC=emea,DC=corp,DC=example,DC=com");
    const testing::RunOutcome review =
        testing::RunNestwalk(forest, {"-q", format, "-in", "-"}, kList);
    EXPECT_EQ(review.status, kInterrupted);
    fake::FakeForest firstTwo;
    Build(firstTwo);
    EXPECT_EQ(review.out, testing::RunNestwalk(firstTwo, {"-q", format, "-in", "-"},
                                               "EMEA\\alice\nEMEA\\bob\n")
                              .out);
  }
}

// A referral is never followed: the read it answered falls short and says where it pointed.
TEST(AccountReviewFaultTest, AReferralIsNamedAndCountsAsAReadThatFellShort) {
  fake::FakeForest forest;
  Build(forest);
  forest.ReferSearch(testing::kCorpDc1Host, 3268, Forest::kAll,
                     "ldap://rogue.example.net/CN=Domain%20Admins");
  const testing::RunOutcome one = testing::RunNestwalk(forest, {"-q", "-u", "EMEA\\bob"});
  EXPECT_NE(one.err.find("LDAP_SEARCH_S: 0xa\nLDAP_SEARCH_S: Referral\n"
                         "   Referral to ldap://rogue.example.net/CN=Domain%20Admins not followed\n"),
            std::string::npos)
      << one.err;
  EXPECT_NE(one.err.find("WARNING: 1 group could not be read in full"), std::string::npos);
  EXPECT_EQ(one.status, 0);
  for (const fake::ConnectionRecord& connection : forest.connections()) {
    EXPECT_NE(connection.host, std::optional<std::string>("rogue.example.net"));
  }
  fake::FakeForest reviewed;
  Build(reviewed);
  reviewed.ReferSearch(testing::kCorpDc1Host, 3268, Forest::kAll, "ldap://rogue.example.net/");
  const testing::RunOutcome review =
      testing::RunNestwalk(reviewed, {"-q", "-json", "-in", "-"}, kList);
  EXPECT_EQ(review.status, kSomeAccountsUnreported);
  std::istringstream lines(review.out);
  std::string line;
  int incomplete = 0;
  while (std::getline(lines, line)) incomplete += nlohmann::json::parse(line)["complete"] ? 0 : 1;
  EXPECT_GT(incomplete, 0);
}

// Every account left out has a line that names it, also the second of a domain the forest
// lacks and one whose domain could not be looked up.
TEST(AccountReviewFaultTest, EveryAccountLeftOutIsNamed) {
  fake::FakeForest forest;
  Build(forest);
  const testing::RunOutcome review = testing::RunNestwalk(
      forest, {"-q", "-in", "-"}, "EMEA\\bob\nNOWHERE\\alice\nNOWHERE\\bob\n");
  EXPECT_EQ(review.err,
            "ERROR: No domain NOWHERE in the forest\n"
            "ERROR: No domain NOWHERE in the forest for NOWHERE\\bob\n");
  EXPECT_EQ(review.status, kSomeAccountsUnreported);

  fake::FakeForest failing;
  Build(failing);
  failing.FailSearch(testing::kCorpDc1Host, 3268,
                     "CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com", -2);
  const testing::RunOutcome unsearched =
      testing::RunNestwalk(failing, {"-q", "-in", "-"}, "EMEA\\bob\n");
  EXPECT_NE(unsearched.err.find("ERROR: Couldn't look up the domain of EMEA\\bob\n"),
            std::string::npos)
      << unsearched.err;
  EXPECT_EQ(unsearched.out, "");
}

}  // namespace
}  // namespace nestwalk
