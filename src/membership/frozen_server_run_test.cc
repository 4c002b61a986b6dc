// Whole runs against a server that stops answering in the middle of the walk: the run waits out
// one time limit for it (not one per read), goes on with a fresh server when the locator names
// another, and says what fell short.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ldap/read_ahead_directory.h"
#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"
#include "support/corp_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

// The DNs of the report's lines, without the -d trace; with `unread`, only of the groups whose
// entry was never read.
std::vector<std::string> ReportedDns(const std::string& out, bool unread = false) {
  std::istringstream lines(out);
  std::vector<std::string> dns;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("  [")) continue;
    if (unread && line.find("] [] ") == std::string::npos) continue;
    dns.push_back(line.substr(line.find("CN=")));
  }
  return dns;
}

constexpr int kLevels = 5;
constexpr int kGroupsPerLevel = 40;

TEST(FrozenServerRunTest, OneWaitForAServerThatStopsAnswering) {
  for (const bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "-fast" : "one read at a time");
    fake::FakeForest forest;
    std::vector<std::string> args =
        testing::BuildClosureForest(forest, kLevels, kGroupsPerLevel);
    if (fast) args.push_back("-fast");
    forest.FreezeServer(testing::kCorpDc1Host, 30);
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
    EXPECT_EQ(outcome.status, 0);
    // Only what was on its way when the server stopped waits: one read, or the reads in flight.
    EXPECT_LE(forest.SilentWaits(testing::kCorpDc1Host), fast ? kReadWindow : 1);
    EXPECT_NE(outcome.err.find("LDAP_SEARCH_S: Timed out\n"), std::string::npos);
    EXPECT_NE(outcome.err.find("; the list may be incomplete\n"), std::string::npos);
    EXPECT_EQ(forest.HandleMisuseCount(), 0);
  }
}

TEST(FrozenServerRunTest, AFreshServerTakesOverWhenTheLocatorNamesOne) {
  for (const bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "-fast" : "one read at a time");
    fake::FakeForest healthy;
    std::vector<std::string> args =
        testing::BuildClosureForest(healthy, kLevels, kGroupsPerLevel);
    if (fast) args.push_back("-fast");
    const std::string complete = testing::RunNestwalk(healthy, args).out;

    fake::FakeForest forest;
    testing::BuildClosureForest(forest, kLevels, kGroupsPerLevel);
    forest.AddServer({.host = "dc2.corp.example.com",
                      .domainDn = testing::kCorpDomainDn,
                      .site = testing::kDefaultSite,
                      .globalCatalog = true});
    forest.FreezeServer(testing::kCorpDc1Host, 30);
    std::vector<std::string> traced = args;
    traced.push_back("-d");
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, traced);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.err.find("dc1.corp.example.com stopped answering; locating another GC of "
                               "corp.example.com\n"),
              std::string::npos)
        << outcome.err;
    // The read that timed out is the one the fresh server did not make again: the walk still finds
    // every group (every group of a level holds two of the level below, so the one read missing
    // loses nothing above it), and that group alone without its details.
    EXPECT_EQ(ReportedDns(outcome.out), ReportedDns(complete));
    EXPECT_EQ(ReportedDns(complete).size(), static_cast<std::size_t>(kLevels * kGroupsPerLevel));
    EXPECT_EQ(ReportedDns(outcome.out, /*unread=*/true).size(), 1u);
    EXPECT_NE(outcome.err.find("WARNING: 1 group could not be read in full"), std::string::npos);
    EXPECT_LE(forest.SilentWaits(testing::kCorpDc1Host), fast ? kReadWindow : 1);
  }
}

}  // namespace
}  // namespace nestwalk
