// A domain controller that misbehaves inside its answers, at each point of a run: the relay of
// bench/latency stands in front of the test DC's LDAP and GC ports and, on one connection, cuts
// an answer short and then hangs, sends it one byte a second, or resets the connection: in the
// bind, at the RootDSE, in the middle of the walk of one account and in the middle of a review of
// the sample accounts. Every run must end within the documented bounds, with its error lines and
// exit status, and what it reports must be true. The runs go at once, each through a relay of
// its own, so that the time limits they sit out overlap.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/command_runner.h"
#include "support/csv_reader.h"
#include "support/e2e_environment.h"
#include "support/nestwalk_runs.h"
#include "support/relayed_run.h"
#include "support/report_reader.h"
#include "support/sample_principals.h"

namespace nestwalk::e2e {
namespace {

constexpr std::chrono::seconds kRunLimit{180};
constexpr int kTerminated = 255;
constexpr int kNotAllReported = 8;

enum class Point { kBind, kRootDse, kWalk, kReview };

struct FaultCase {
  const char* name;
  const char* relayAddress;  // its own, inside the test domain's namespace
  const char* kind;          // the relay's fault
  int count;                 // the answer of the connection it strikes
  int port;                  // 389: the DC's connection, the run's first; 3268: the GC's
  Point point;
  bool fast = false;  // the walk reads ahead (-fast)
};

// Each connection's bind takes the first three answers of the server, its RootDSE read the
// fourth; a ping, on a connection of its own, takes one. The walk of one account reads the GC
// from the fifth answer on, and a review of the sample accounts reads it some sixty times.
// With -fast the walk's reads go out ahead of their answers. A trickled bind answer is the last
// one, which is short: the bind gets through, slowly, and the RootDSE read that follows is
// trickled too.
const FaultCase kCases[] = {
    {"TruncatedBindAnswer", "127.0.0.71", "truncate", 3, 389, Point::kBind},
    {"TruncatedRootDse", "127.0.0.72", "truncate", 4, 389, Point::kRootDse},
    {"TruncatedWalkRead", "127.0.0.73", "truncate", 6, 3268, Point::kWalk},
    {"TruncatedFastWalkRead", "127.0.0.83", "truncate", 6, 3268, Point::kWalk, true},
    {"TruncatedReviewRead", "127.0.0.74", "truncate", 30, 3268, Point::kReview},
    {"TrickleFromTheLastBindAnswer", "127.0.0.75", "trickle", 3, 389, Point::kRootDse},
    {"TrickledRootDse", "127.0.0.76", "trickle", 4, 389, Point::kRootDse},
    {"TrickledWalkRead", "127.0.0.77", "trickle", 6, 3268, Point::kWalk},
    {"TrickledFastWalkRead", "127.0.0.84", "trickle", 6, 3268, Point::kWalk, true},
    {"TrickledReviewRead", "127.0.0.78", "trickle", 30, 3268, Point::kReview},
    {"ResetInTheBind", "127.0.0.79", "reset", 2, 389, Point::kBind},
    {"ResetBeforeTheRootDse", "127.0.0.80", "reset", 3, 389, Point::kRootDse},
    {"ResetInTheWalk", "127.0.0.81", "reset", 5, 3268, Point::kWalk},
    {"ResetInTheReview", "127.0.0.82", "reset", 30, 3268, Point::kReview},
};

// The lines of a search whose server stopped answering (it timed out, or was cut off at its
// time limit) or went away.
std::string SearchFailureLines(const FaultCase& c) {
  return std::string_view(c.kind) == "reset"
             ? "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: Can't contact LDAP server\n"
             : "LDAP_SEARCH_S: 0xfffffffb\nLDAP_SEARCH_S: Timed out\n";
}

std::string LastLine(std::string_view text) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  return std::string(text.substr(text.rfind('\n') + 1));
}

// A run that ends before the walk: the principal line, its failure, status 255.
void ExpectEndBeforeTheWalk(const E2eEnvironment& env, const FaultCase& c,
                            const CommandResult& run) {
  EXPECT_EQ(run.out, "Security Principal: [USER] " + env.flat + "\\alice\n");
  std::string failure;
  if (c.point == Point::kBind) {
    failure = "LDAP_BIND: [" + env.dc + "] Error " +
              (std::string_view(c.kind) == "reset" ? "0xffffffff (-1) - Can't contact LDAP server"
                                                   : "0xfffffffb (-5) - Timed out") +
              "\n\n";
  } else {
    failure = SearchFailureLines(c) + "\nERROR: Couldn't gather DC RootDSE Info...\n";
  }
  EXPECT_EQ(run.err, failure + "Terminating program.\n");
  EXPECT_EQ(run.status, kTerminated);
}

// The walk of one account that lost its GC: the groups it reports are groups of the account
// (their details may be unknown), and the closing warning says the list may be incomplete.
void ExpectTrueWalk(const E2eEnvironment& env, const FaultCase& c, const CommandResult& run,
                    const CommandResult& faultFree) {
  const Report reported = ReadReport(run.out);
  const Report expected = ReadReport(faultFree.out);
  EXPECT_EQ(reported.principalLines,
            std::vector<std::string>{"Security Principal: [USER] " + env.flat + "\\alice"});
  std::set<std::string> trueGroups;
  for (const ReportLine& group : expected.groups) trueGroups.insert(group.dn);
  for (const ReportLine& group : reported.groups)
    EXPECT_TRUE(trueGroups.contains(group.dn)) << group.dn;
  EXPECT_NE(run.err.find(SearchFailureLines(c)), std::string::npos) << run.err;
  EXPECT_TRUE(LastLine(run.err).starts_with("WARNING: ")) << run.err;
  EXPECT_EQ(run.status, 0) << run.err;
}

// The one row that stands for an account whose reads fell short.
bool IsIncompleteRow(const std::vector<CsvRow>& rows) {
  return rows.size() == 1 && rows[0].size() >= 4 && rows[0][2].empty() &&
         rows[0][3].starts_with("INCOMPLETE:");
}

bool HasErrorLineNaming(std::string_view err, std::string_view account) {
  std::size_t start = 0;
  while (start < err.size()) {
    std::size_t end = err.find('\n', start);
    if (end == std::string_view::npos) end = err.size();
    const std::string_view line = err.substr(start, end - start);
    if (line.starts_with("ERROR") && line.find(account) != std::string_view::npos) return true;
    start = end + 1;
  }
  return false;
}

// A review whose GC misbehaved: each account it reports has the rows of its fault-free review,
// or the one row that says it fell short; each account left out is named in an ERROR line; and
// the status says whether every account was reported in full.
void ExpectTrueReview(const CommandResult& run, const CommandResult& faultFree) {
  const auto expected = CsvRowsByAccount(faultFree.out);
  const auto reported = CsvRowsByAccount(run.out);
  EXPECT_EQ(run.out.substr(0, run.out.find("\r\n")),
            faultFree.out.substr(0, faultFree.out.find("\r\n")));
  bool shortfall = false;
  for (const auto& [account, rows] : reported) {
    if (IsIncompleteRow(rows)) {
      shortfall = true;
      continue;
    }
    const auto own = expected.find(account);
    ASSERT_NE(own, expected.end()) << account;
    EXPECT_EQ(rows, own->second) << account;
  }
  for (const auto& [account, rows] : expected) {
    if (reported.contains(account)) continue;
    shortfall = true;
    EXPECT_TRUE(HasErrorLineNaming(run.err, account)) << account << "\n" << run.err;
  }
  EXPECT_EQ(run.status, shortfall ? kNotAllReported : 0) << run.err;
}

// Every case runs once for the suite, all at once, with the fault-free runs beside them; each
// test checks the cases of its points.
class FaultyServerE2e : public ::testing::Test {
 protected:
  struct Outcome {
    const FaultCase* faultCase;
    RelayedRun relayed;
  };

  static void SetUpTestSuite() {
    const std::optional<E2eEnvironment> env = ReadE2eEnvironment();
    if (!env) return;
    const std::vector<std::string> account = {"-q", "-u", env->flat + "\\alice"};
    const std::vector<std::string> review = {"-q", "-csv", "-in", "-"};
    std::string list;
    for (const PrincipalCase& c : kPrincipals) list += ListLine(env->flat, c);

    std::vector<std::future<RelayedRun>> runs;
    for (const FaultCase& c : kCases) {
      const bool isReview = c.point == Point::kReview;
      std::vector<std::string> args = isReview ? review : account;
      if (c.fast) args.push_back("-fast");
      runs.push_back(std::async(std::launch::async, [&env, &c, isReview, args, &list] {
        return RunThroughRelay(*env, c.relayAddress, RelayFault{c.kind, c.count, c.port}, args,
                               isReview ? list : "", kRunLimit);
      }));
    }
    faultFreeWalk_ = RunNestwalk(*env, account);
    std::vector<std::string> reviewArgv = {env->nestwalk};
    reviewArgv.insert(reviewArgv.end(), review.begin(), review.end());
    faultFreeReview_ = RunCommand(reviewArgv, CommandOptions{{}, list});
    for (std::size_t i = 0; i < runs.size(); ++i) outcomes_.push_back({&kCases[i], runs[i].get()});
  }

  static void TearDownTestSuite() { outcomes_.clear(); }

  // Checks each run of `point` with `check`, once it has checked that the fault struck and the
  // run ended within the limit.
  template <typename Check>
  static void ForEachRunAt(const E2eEnvironment& env, Point point, Check check) {
    ASSERT_EQ(faultFreeWalk_.status, 0) << faultFreeWalk_.err;
    ASSERT_EQ(faultFreeReview_.status, 0) << faultFreeReview_.err;
    for (const Outcome& outcome : outcomes_) {
      const FaultCase& c = *outcome.faultCase;
      if (c.point != point) continue;
      SCOPED_TRACE(c.name);
      const CommandResult& run = outcome.relayed.run;
      EXPECT_NE(outcome.relayed.relayLog.find("latency_relay: "), std::string::npos)
          << "the fault never struck";
      if (run.timedOut) {
        ADD_FAILURE() << "still running after " << kRunLimit.count() << " s, killed\n" << run.err;
        continue;
      }
      EXPECT_LT(run.elapsed, kRunLimit);
      check(env, c, run);
    }
  }

  static inline std::vector<Outcome> outcomes_;
  static inline CommandResult faultFreeWalk_;
  static inline CommandResult faultFreeReview_;
};

TEST_F(FaultyServerE2e, ARunCutOffBeforeTheWalkEndsWithItsFailure) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  for (Point point : {Point::kBind, Point::kRootDse})
    ForEachRunAt(env, point, ExpectEndBeforeTheWalk);
}

TEST_F(FaultyServerE2e, AWalkThatLosesItsGcReportsOnlyTrueGroups) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  ForEachRunAt(env, Point::kWalk,
               [](const E2eEnvironment& env, const FaultCase& c, const CommandResult& run) {
                 ExpectTrueWalk(env, c, run, faultFreeWalk_);
               });
}

TEST_F(FaultyServerE2e, AReviewThatLosesItsGcReportsOnlyTrueRows) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  ForEachRunAt(env, Point::kReview,
               [](const E2eEnvironment&, const FaultCase&, const CommandResult& run) {
                 ExpectTrueReview(run, faultFreeReview_);
               });
}

}  // namespace
}  // namespace nestwalk::e2e
