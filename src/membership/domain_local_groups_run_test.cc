// Whole runs with -complete against a forest whose domain-local groups hold members of other
// domains: what memberOf cannot show, found by searching each domain's DC.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

// Three domains below an empty forest root, whose server is the forest's only GC: a GC holds
// the member links of its own domain's groups, so it would show those of a domain it is in.
constexpr char kRoot[] = "DC=corp,DC=test";
constexpr char kA[] = "DC=a,DC=corp,DC=test";
constexpr char kB[] = "DC=b,DC=corp,DC=test";
constexpr char kC[] = "DC=c,DC=corp,DC=test";
constexpr char kDcA[] = "dc.a.corp.test";
constexpr char kDcB[] = "dc.b.corp.test";
constexpr char kDcC[] = "dc.c.corp.test";
constexpr char kAlice[] = "CN=Alice,DC=a,DC=corp,DC=test";
constexpr char kGlobalA[] = "CN=G-A,DC=a,DC=corp,DC=test";
constexpr char kUniversalC[] = "CN=U-C,DC=c,DC=corp,DC=test";
constexpr char kLocalB2[] = "CN=DL-B2,DC=b,DC=corp,DC=test";
constexpr char kGlobal[] = "-2147483646";
constexpr char kDomainLocal[] = "-2147483644";
constexpr char kUniversal[] = "-2147483640";

// alice (A) is in G-A (A global), U-C (C universal), DL-A-Own (A domain local); her primary
// group is Domain Users (A). Beyond what memberOf shows: U-C is in DL-A, alice in DL-B1 and
// DL-C, G-A in DL-B2, which is in DL-B3.
void BuildForest(fake::FakeForest& forest) {
  forest.AddDomain({.dn = kRoot, .flatName = "CORP", .sid = "S-1-5-21-1-1-1"});
  forest.AddDomain({.dn = kA, .flatName = "A", .sid = "S-1-5-21-2-2-2"});
  forest.AddDomain({.dn = kB, .flatName = "B", .sid = "S-1-5-21-3-3-3"});
  forest.AddDomain({.dn = kC, .flatName = "C", .sid = "S-1-5-21-4-4-4"});
  forest.AddServer(
      {.host = "gc.corp.test", .domainDn = kRoot, .site = "Hub", .globalCatalog = true});
  for (auto [host, dn] : {std::pair{kDcA, kA}, std::pair{kDcB, kB}, std::pair{kDcC, kC}}) {
    forest.AddServer({.host = host, .domainDn = dn, .site = "Hub", .globalCatalog = false});
  }
  forest.AddUser(kAlice, "alice", "513");
  forest.AddGroup("CN=Domain Users,DC=a,DC=corp,DC=test", "Domain Users", kGlobal, {}, 513);
  forest.AddGroup(kGlobalA, "G-A", kGlobal, {kAlice});
  forest.AddGroup("CN=DL-A-Own,DC=a,DC=corp,DC=test", "DL-A-Own", kDomainLocal, {kAlice});
  forest.AddGroup(kUniversalC, "U-C", kUniversal, {kAlice});
  forest.AddGroup("CN=DL-A,DC=a,DC=corp,DC=test", "DL-A", kDomainLocal, {kUniversalC});
  forest.AddGroup("CN=DL-B1,DC=b,DC=corp,DC=test", "DL-B1", kDomainLocal, {kAlice});
  forest.AddGroup(kLocalB2, "DL-B2", kDomainLocal, {kGlobalA});
  forest.AddGroup("CN=DL-B3,DC=b,DC=corp,DC=test", "DL-B3", kDomainLocal, {kLocalB2});
  forest.AddGroup("CN=DL-C,DC=c,DC=corp,DC=test", "DL-C", kDomainLocal, {kAlice});
  // Holds nobody of the walk.
  forest.AddUser("CN=Bob,DC=b,DC=corp,DC=test", "bob", "513");
  forest.AddGroup("CN=DL-B4,DC=b,DC=corp,DC=test", "DL-B4", kDomainLocal,
                  {"CN=Bob,DC=b,DC=corp,DC=test"});
}

const std::string kPrincipal = "Security Principal: [USER] A\\alice\n";
const std::string kLocalA = "  [Local Security] [DL-A] CN=DL-A,DC=a,DC=corp,DC=test\n";
const std::string kOwnLocalA = "  [Local Security] [DL-A-Own] CN=DL-A-Own,DC=a,DC=corp,DC=test\n";
const std::string kLocalsB =
    "  [Local Security] [DL-B1] CN=DL-B1,DC=b,DC=corp,DC=test\n"
    "  [Local Security] [DL-B2] CN=DL-B2,DC=b,DC=corp,DC=test\n"
    "  [Local Security] [DL-B3] CN=DL-B3,DC=b,DC=corp,DC=test\n";
const std::string kLocalC = "  [Local Security] [DL-C] CN=DL-C,DC=c,DC=corp,DC=test\n";
const std::string kTail =
    "  [Global Security] [Domain Users] CN=Domain Users,DC=a,DC=corp,DC=test\n"
    "  [Global Security] [G-A] CN=G-A,DC=a,DC=corp,DC=test\n"
    "  [Universal Security] [U-C] CN=U-C,DC=c,DC=corp,DC=test\n";
const std::string kSearchError = "ERROR: Couldn't search domain-local groups of ";

// The run's closing line when `domains` could not be searched.
std::string Incomplete(int domains) {
  return "WARNING: " + std::to_string(domains) + (domains == 1 ? " read" : " reads") +
         " fell short; the list may be incomplete\n";
}

struct RunCase {
  const char* label;
  std::vector<std::string> args;
  void (*spoil)(fake::FakeForest&);  // nullptr: the forest as built
  std::string out;
  std::string err;
  int domainLocalSearches;  // paged searches sent
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.label; }
};

class DomainLocalRunTest : public ::testing::TestWithParam<RunCase> {};

// With -fast the domains are searched together, and the run writes the same.
TEST_P(DomainLocalRunTest, FindsWhatMemberOfCannotShow) {
  const RunCase& c = GetParam();
  for (bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "-fast" : "one after another");
    fake::FakeForest forest;
    BuildForest(forest);
    if (c.spoil != nullptr) c.spoil(forest);
    std::vector<std::string> args = c.args;
    if (fast) args.insert(args.begin(), "-fast");
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
    EXPECT_EQ(outcome.out, c.out);
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_EQ(outcome.status, 0);
    for (const fake::ConnectionRecord& connection : forest.connections()) {
      EXPECT_NE(connection.host.value_or(""), "") << "a connection to no server located";
    }
    int paged = 0;
    for (const fake::SearchRecord& search : forest.searches()) paged += search.paged ? 1 : 0;
    EXPECT_EQ(paged, c.domainLocalSearches);
    EXPECT_EQ(forest.HandleMisuseCount(), 0);
    for (const fake::ConnectionRecord& connection : forest.connections()) {
      if (connection.bound) {
        EXPECT_EQ(connection.unbindCount, 1) << connection.host.value_or("");
      }
    }
  }
}

const std::vector<std::string> kComplete{"-q", "-complete", "-u", "A\\alice"};

INSTANTIATE_TEST_SUITE_P(
    Forests, DomainLocalRunTest,
    ::testing::Values(
        RunCase{"WithoutCompleteOnlyMemberOf",
                {"-q", "-u", "A\\alice"},
                nullptr,
                kPrincipal + kOwnLocalA + kTail,
                "",
                0},
        RunCase{"EveryDomainOnce", kComplete, nullptr,
                kPrincipal + kLocalA + kOwnLocalA + kLocalsB + kLocalC + kTail, "", 4},
        RunCase{"UnreachableDomain", kComplete,
                [](fake::FakeForest& forest) { forest.FailBind(kDcB, 389, 49); },
                kPrincipal + kLocalA + kOwnLocalA + kLocalC + kTail,
                "LDAP_BIND: [dc.b.corp.test] Error 0x31 (49) - Invalid credentials\n" +
                    kSearchError + "b.corp.test: no domain controller could be bound\n" +
                    Incomplete(1),
                3},
        RunCase{"FailingSearch", kComplete,
                [](fake::FakeForest& forest) { forest.FailSearch(kDcC, 389, kC, -1); },
                kPrincipal + kLocalA + kOwnLocalA + kLocalsB + kTail,
                kSearchError + "c.corp.test: the search failed: Can't contact LDAP server (-1)\n" +
                    Incomplete(1),
                4},
        RunCase{"SearchThatCannotStart", kComplete,
                [](fake::FakeForest& forest) { forest.FailPagedSearchStart(); },
                kPrincipal + kOwnLocalA + kTail,
                kSearchError + "corp.test: the search failed: Local error (-2)\n" + kSearchError +
                    "a.corp.test: the search failed: Local error (-2)\n" + kSearchError +
                    "b.corp.test: the search failed: Local error (-2)\n" + kSearchError +
                    "c.corp.test: the search failed: Local error (-2)\n" + Incomplete(4),
                4},
        RunCase{"DuplicatesAndAGoneDomain", kComplete,
                [](fake::FakeForest& forest) {
                  forest.SetForestDomains(
                      {0,
                       {"corp.test", "A.CORP.TEST", "b.corp.test", "a.corp.test", "gone.corp.test",
                        "c.corp.test", "B.Corp.Test"}});
                },
                kPrincipal + kLocalA + kOwnLocalA + kLocalsB + kLocalC + kTail,
                // No server located, none asked: an empty host would reach the library's default.
                "DSGetDCName: No such domain - 1355\n" +
                    kSearchError + "gone.corp.test: no domain controller could be bound\n" +
                    Incomplete(1),
                4},
        RunCase{"DomainsThatCannotBeListed", kComplete,
                [](fake::FakeForest& forest) {
                  forest.SetForestDomains({1722, {}});
                },
                kPrincipal + kOwnLocalA + kTail,
                "ERROR: Couldn't list the forest's domains for domain-local groups - 1722\n" +
                    Incomplete(1),
                0}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.label; });

// The lines of `text` that begin with `prefix`.
std::string LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::string kept;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(at, prefix.size(), prefix) == 0) kept += text.substr(at, end - at);
    at = end;
  }
  return kept;
}

// B is searched for alice, Domain Users, G-A, U-C and `extra` global groups of A (Z-000...),
// in that order; the last of them is in DL-BZ.
TEST(DomainLocalChainTest, EachGroupFoundIsReachedThroughTheMemberItHolds) {
  fake::FakeForest forest;
  BuildForest(forest);
  const testing::RunOutcome outcome =
      testing::RunNestwalk(forest, {"-q", "-complete", "-path", "-u", "A\\alice"});
  for (const char* chain :
       {"      via: alice -> U-C -> DL-A\n", "      via: alice -> DL-B1\n",
        "      via: alice -> G-A -> DL-B2\n", "      via: alice -> G-A -> DL-B2 -> DL-B3\n",
        "      via: alice -> DL-C\n"}) {
    EXPECT_NE(outcome.out.find(chain), std::string::npos) << chain << outcome.out;
  }
  EXPECT_EQ(outcome.out.find("no chain"), std::string::npos) << outcome.out;
}

TEST(DomainLocalBatchTest, MembersGoOutInBatchesOfAHundred) {
  struct Case {
    int extra;
    std::string trace;  // the -d lines of the domain-local searches
  };
  const Case cases[] = {
      {96,
       "Domain-local groups in corp.test holding members 1-100 of 100: 0\n"
       "Domain-local groups in corp.test: 0\n"
       "Domain-local groups in a.corp.test holding members 1-2 of 2: 2\n"
       "Domain-local groups in a.corp.test: 2\n"
       "Domain-local groups in b.corp.test holding members 1-100 of 100: 3\n"
       "Domain-local groups in b.corp.test: 3\n"
       "Domain-local groups in c.corp.test holding members 1-99 of 99: 1\n"
       "Domain-local groups in c.corp.test: 1\n"},
      {97,
       "Domain-local groups in corp.test holding members 1-100 of 101: 0\n"
       "Domain-local groups in corp.test holding members 101-101 of 101: 0\n"
       "Domain-local groups in corp.test: 0\n"
       "Domain-local groups in a.corp.test holding members 1-2 of 2: 2\n"
       "Domain-local groups in a.corp.test: 2\n"
       "Domain-local groups in b.corp.test holding members 1-100 of 101: 2\n"
       "Domain-local groups in b.corp.test holding members 101-101 of 101: 1\n"
       "Domain-local groups in b.corp.test: 3\n"
       "Domain-local groups in c.corp.test holding members 1-100 of 100: 1\n"
       "Domain-local groups in c.corp.test: 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    auto build = [&](fake::FakeForest& forest) {
      BuildForest(forest);
      std::string extras;
      for (int i = 0; i < c.extra; ++i) {
        std::string name = "Z-" + std::string(i < 10 ? "00" : "0") + std::to_string(i);
        const std::string dn = "CN=" + name + ",DC=a,DC=corp,DC=test";
        forest.AddGroup(dn, name, kGlobal, {kAlice});
        extras += "  [Global Security] [" + name + "] " + dn + "\n";
        if (i == c.extra - 1) {
          forest.AddGroup("CN=DL-BZ,DC=b,DC=corp,DC=test", "DL-BZ", kDomainLocal, {dn});
        }
      }
      return extras;
    };
    fake::FakeForest forest;
    const std::string extras = build(forest);
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, kComplete);
    EXPECT_EQ(outcome.out, kPrincipal + kLocalA + kOwnLocalA + kLocalsB +
                               "  [Local Security] [DL-BZ] CN=DL-BZ,DC=b,DC=corp,DC=test\n" +
                               kLocalC + kTail + extras);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.status, 0);

    for (const char* order : {"-d", "-fast"}) {
      fake::FakeForest traced;
      build(traced);
      const testing::RunOutcome debug =
          testing::RunNestwalk(traced, {"-d", order, "-complete", "-u", "A\\alice"});
      EXPECT_EQ(LinesStartingWith(debug.err, "Domain-local groups in "), c.trace) << order;
    }
  }
}

// A member DN with every byte a filter must escape is searched for escaped, and matches.
TEST(DomainLocalEscapeTest, MemberDnsAreEscapedInTheFilter) {
  fake::FakeForest forest;
  BuildForest(forest);
  const std::string odd = std::string("CN=Ops (EU)*\\, R\\\\D") + '\0' + "x,DC=a,DC=corp,DC=test";
  forest.AddGroup(odd, "Ops", kGlobal, {kAlice});
  forest.AddGroup("CN=DL-BO,DC=b,DC=corp,DC=test", "DL-BO", kDomainLocal, {odd});
  const testing::RunOutcome outcome = testing::RunNestwalk(forest, kComplete);
  // The report writes the NUL escaped, as every control character of a directory value.
  const std::string ops =
      "  [Global Security] [Ops] CN=Ops (EU)*\\, R\\\\D\\00x,DC=a,DC=corp,DC=test\n";
  std::string tail = kTail;
  tail.insert(tail.find("  [Universal"), ops);
  EXPECT_EQ(outcome.out, kPrincipal + kLocalA + kOwnLocalA + kLocalsB +
                             "  [Local Security] [DL-BO] CN=DL-BO,DC=b,DC=corp,DC=test\n" +
                             kLocalC + tail);
  EXPECT_EQ(outcome.err, "");
  const std::string escaped =
      "(member=CN=Ops \\28EU\\29\\2a\\5c, R\\5c\\5cD\\00x,DC=a,DC=corp,DC=test)";
  int searchesWithIt = 0;
  for (const fake::SearchRecord& search : forest.searches()) {
    if (search.paged && search.request.filter.find(escaped) != std::string::npos) ++searchesWithIt;
  }
  EXPECT_EQ(searchesWithIt, 3);  // every domain but its own
}

}  // namespace
}  // namespace nestwalk
