// Whole runs with -fast against the same runs without it, on the forests of the whole-run tests
// and on seeded random forests: standard output, the status and standard error are the same;
// with -d, standard error is the same but for the lines that tell what was read ahead.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ldap/read_ahead_directory.h"
#include "membership/membership_fixture.h"
#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"
#include "support/random_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using BuildForest = std::function<std::vector<std::string>(fake::FakeForest&)>;

// `err` without the lines of the read-ahead trace, which may also follow the failure line of a
// domain without a DC, written without a line end.
std::string WithoutReadAheadLines(std::string err) {
  for (const char* start : {"Binding a DC of ", "Binding the GC port of ", "Read ahead: "}) {
    for (std::size_t at = err.find(start); at != std::string::npos; at = err.find(start, at)) {
      err.erase(at, err.find('\n', at) + 1 - at);
    }
  }
  return err;
}

// Returns the run without -fast.
testing::RunOutcome ExpectSameRuns(const BuildForest& build,
                                   const std::vector<std::string>& extra) {
  fake::FakeForest classic;
  fake::FakeForest fast;
  std::vector<std::string> args = build(classic);
  build(fast);
  args.insert(args.end(), extra.begin(), extra.end());
  const testing::RunOutcome expected = testing::RunNestwalk(classic, args);
  args.push_back("-fast");
  const testing::RunOutcome outcome = testing::RunNestwalk(fast, args);
  EXPECT_EQ(outcome.out, expected.out);
  EXPECT_EQ(outcome.status, expected.status);
  EXPECT_EQ(WithoutReadAheadLines(outcome.err), expected.err);
  for (const fake::ConnectionRecord& connection : fast.connections()) {
    if (connection.bound) {
      EXPECT_EQ(connection.unbindCount, 1) << connection.host.value_or("");
    }
  }
  EXPECT_EQ(fast.HandleMisuseCount(), 0);
  EXPECT_TRUE(fast.pingsCandidatesTogether());
  EXPECT_FALSE(classic.pingsCandidatesTogether());
  return expected;
}

std::vector<std::string> ThreeDomains(fake::FakeForest& forest, bool otherIsGc, int maxValues,
                                      bool dc3Fails) {
  testing::ThreeDomainForest::Build(forest, otherIsGc);
  forest.SetMaxValueRange(maxValues);
  if (dc3Fails) {
    forest.FailBind(testing::ThreeDomainForest::kDc3, std::nullopt,
                    platform::kLdapInvalidCredentials);
  }
  return {"-u", "EMEA\\alice"};
}

TEST(FastWalkDifferentialTest, TheForestsOfTheWholeRunTests) {
  using std::placeholders::_1;
  const BuildForest forests[] = {
      std::bind(ThreeDomains, _1, true, 0, false), std::bind(ThreeDomains, _1, false, 0, false),
      std::bind(ThreeDomains, _1, true, 2, false), std::bind(ThreeDomains, _1, true, 0, true),
      std::bind(ThreeDomains, _1, false, 1, true),
  };
  for (const std::vector<std::string>& extra :
       std::vector<std::vector<std::string>>{{}, {"-d"}, {"-tryall"}}) {
    for (std::size_t i = 0; i < std::size(forests); ++i) {
      SCOPED_TRACE("forest " + std::to_string(i) + (extra.empty() ? "" : " " + extra[0]));
      ExpectSameRuns(forests[i], extra);
    }
  }
}

TEST(FastWalkDifferentialTest, RandomForests) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::vector<std::string> extra =
        seed % 5 == 0 ? std::vector<std::string>{"-d"} : std::vector<std::string>{};
    ExpectSameRuns(
        [seed](fake::FakeForest& forest) { return testing::BuildRandomForest(forest, seed); },
        extra);
    if (::testing::Test::HasFailure()) break;
  }
}

// The DC's GC port is bound while the DC is, the GC's RootDSE, the account's lookup and the
// domain's SID are asked while the GC is located: a fault at any of these steps still gives the
// lines of the run without -fast, and what was bound ahead but not taken is closed once.
TEST(FastWalkDifferentialTest, StartUpFaults) {
  const std::string dc = testing::kCorpDc1Host;
  using Fault = std::function<void(fake::FakeForest&, std::vector<std::string> & args)>;
  const std::vector<std::pair<const char*, Fault>> faults = {
      {"the DC refuses the bind",
       [&](fake::FakeForest& f, auto&) { f.FailBind(dc, 389, platform::kLdapInvalidCredentials); }},
      {"its GC port refuses the bind",
       [&](fake::FakeForest& f, auto&) {
         f.FailBind(dc, 3268, platform::kLdapInvalidCredentials);
       }},
      {"the DC's RootDSE cannot be read",
       [&](fake::FakeForest& f, auto&) { f.FailSearch(dc, 389, "", platform::kLdapServerDown); }},
      {"the GC's RootDSE cannot be read",
       [&](fake::FakeForest& f, auto&) { f.FailSearch(dc, 3268, "", platform::kLdapServerDown); }},
      {"the server cannot be reached",
       [&](fake::FakeForest& f, auto&) { f.FailOpen(dc, platform::kLdapServerDown); }},
      {"the domain cannot be searched",
       [&](fake::FakeForest& f, auto&) {
         f.FailSearch(dc, 389, testing::kCorpDomainDn, platform::kLdapServerDown);
       }},
      {"the account is not there",
       [](fake::FakeForest&, std::vector<std::string>& args) { args[1] = "CORP\\nobody"; }},
  };
  for (const auto& [name, fault] : faults) {
    for (const std::vector<std::string>& extra :
         std::vector<std::vector<std::string>>{{}, {"-d"}}) {
      SCOPED_TRACE(std::string(name) + (extra.empty() ? "" : " -d"));
      const testing::RunOutcome run = ExpectSameRuns(
          [&fault](fake::FakeForest& forest) {
            std::vector<std::string> args = testing::BuildRandomForest(forest, 1);
            fault(forest, args);
            return args;
          },
          extra);
      EXPECT_NE(run.err.find("Terminating program."), std::string::npos);
    }
  }
}

constexpr int kLevels = 10;
constexpr int kGroupsPerLevel = 200;

TEST(FastWalkRoundTripsTest, ALargeClosureTakesAboutOneRoundTripALevel) {
  fake::FakeForest classic;
  fake::FakeForest fast;
  std::vector<std::string> args = testing::BuildClosureForest(classic, kLevels, kGroupsPerLevel);
  testing::BuildClosureForest(fast, kLevels, kGroupsPerLevel);
  const testing::RunOutcome expected = testing::RunNestwalk(classic, args);
  args.push_back("-fast");
  const testing::RunOutcome outcome = testing::RunNestwalk(fast, args);
  EXPECT_EQ(outcome.out, expected.out);
  EXPECT_LE(fast.RoundTrips(), kLevels + 3) << "without -fast: " << classic.RoundTrips();
  for (const fake::ConnectionRecord& connection : fast.connections()) {
    EXPECT_LE(connection.mostInFlight, kReadWindow);
  }
}

TEST(FastWalkDifferentialTest, ReadsThatTimeOutWithManyInFlight) {
  ExpectSameRuns(
      [](fake::FakeForest& forest) {
        return testing::BuildClosureForest(forest, kLevels, kGroupsPerLevel, /*failing=*/20);
      },
      {});
}

}  // namespace
}  // namespace nestwalk
