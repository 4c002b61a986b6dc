// Whole runs with -tryall against a two-site fake forest: the mode's lines stand as one block
// in each stream of the same run without -tryall, and the report does not change.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "locate/sites_fixture.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using namespace testing::sites;  // the two-site forest and its builders

const std::string kAlice = "CN=Alice,CN=Users," + kRootDn;

// dc1 (Hub, no GC) serves the account; the forest's GC is gc9 in Branch; dc2 serves the child.
void BuildForest(fake::FakeForest& forest, const std::vector<ConfigObject>& objects) {
  AddCorpForest(forest, /*globalCatalog=*/false);
  forest.AddServer({"gc9.corp.com", kRootDn, "Branch", true});
  forest.AddServer({"dc2.child.corp.com", kChildDn, "Branch", false});
  forest.SetLocalSite({0, "Hub"});
  forest.AddUser(kAlice, "alice", "513");
  forest.AddGroup("CN=Domain Users,CN=Users," + kRootDn, "Domain Users", "-2147483646", {}, 513);
  forest.AddGroup("CN=Staff," + kRootDn, "Staff", "-2147483646", {kAlice});
  forest.AddGroup("CN=Everyone," + kChildDn, "Everyone", "-2147483640", {"CN=Staff," + kRootDn});
  for (const ConfigObject& object : objects) object.add(forest);
  for (const SiteLinkSetup& link : {kHubBranch, kHubLab, kBareLink, kSmtpLink, kBranchOnly}) {
    AddSiteLink(forest, link);
  }
}

// `with` is `without` with the lines of `block` put in at one line boundary.
::testing::AssertionResult HoldsBlock(const std::string& without, const std::string& with,
                                      const std::string& block) {
  for (std::size_t at = 0; at <= without.size(); at = without.find('\n', at) + 1) {
    if (with == without.substr(0, at) + block + without.substr(at)) {
      return ::testing::AssertionSuccess();
    }
    if (without.find('\n', at) == std::string::npos) break;
  }
  return ::testing::AssertionFailure() << "without:\n" << without << "\nwith:\n" << with;
}

struct RunCase {
  const char* label;
  std::vector<ConfigObject> objects;  // as the directory returns them
  int maxPageSize;                    // 0: no limit
  int failAfterPages;                 // 0: no page fails
  int inventoryPageRequests;
  std::string inventoryTrace;  // standard error between the domain list and the site links
  int hubPageRequests;
  std::string hubTrace;
  int branchPageRequests;
  std::string branchTrace;
  friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.label; }
};

const std::string kDomainTrace =
    "TRYALL: Locate GC for all domains...\nEnumerate the forest domains\n"
    "Number of Domains: 2\n\tcorp.com\n\tchild.corp.com\n";
const std::string kLinksHeading = "Retrieving site link costs\n";

std::string Traces(const std::vector<ConfigObject>& objects) {
  std::string trace;
  for (const ConfigObject& object : objects) trace += object.trace;
  return trace;
}

const std::vector<ConfigObject> kServersFirst{kDc1Server, kDc2Server, kDc4Server, kDc1Ntds,
                                              kDc2Ntds,   kDc3Ntds,   kDc4Ntds};
const std::vector<ConfigObject> kSettingsFirst{kDc4Ntds,   kDc3Ntds,   kDc2Ntds,  kDc1Ntds,
                                               kDc2Server, kDc4Server, kDc1Server};

const std::vector<ConfigObject> kInterleaved{kDc1Server, kDc1Ntds,   kDc2Server, kDc2Ntds,
                                             kDc3Ntds,   kDc4Server, kDc4Ntds};

class ForestWideRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(ForestWideRunTest, AddsTheDebugBlockAndLeavesTheReportAlone) {
  const RunCase& c = GetParam();
  auto run = [&](const std::vector<std::string>& args) {
    fake::FakeForest forest;
    BuildForest(forest, c.objects);
    forest.SetMaxPageSize(c.maxPageSize);
    // A page the server refuses (administrative limit exceeded): the server still answers the
    // walk's reads afterwards, as one that went away would not.
    if (c.failAfterPages > 0) forest.FailPagedSearchAfter(c.failAfterPages, 11);
    return testing::RunNestwalk(forest, args);
  };
  const testing::RunOutcome plain = run({"-d", "-u", "CORP\\alice"});
  const testing::RunOutcome tryAll = run({"-d", "-tryall", "-u", "CORP\\alice"});

  ASSERT_NE(plain.out.find("CN=Everyone," + kChildDn), std::string::npos) << plain.out;
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(tryAll.status, 0);
  EXPECT_TRUE(HoldsBlock(plain.out, tryAll.out,
                         PageTrace(c.inventoryPageRequests) + PageTrace(c.hubPageRequests) +
                             PageTrace(c.branchPageRequests)));
  const std::string errBlock =
      kDomainTrace + c.inventoryTrace + kLinksHeading + c.hubTrace + kLinksHeading + c.branchTrace;
  EXPECT_TRUE(HoldsBlock(plain.err, tryAll.err, errBlock));
  // After the direct memberships, right before the nested expansion begins.
  EXPECT_NE(tryAll.err.find("Getting direct memberships from GC...\n"), std::string::npos);
  EXPECT_LT(tryAll.err.find("Getting direct memberships from GC...\n"), tryAll.err.find(errBlock));
  EXPECT_NE(tryAll.err.find(errBlock + "\n\nBase groups loaded"), std::string::npos);

  // Without -d the mode adds nothing at all.
  const testing::RunOutcome quietPlain = run({"-u", "CORP\\alice"});
  const testing::RunOutcome quietTryAll = run({"-tryall", "-u", "CORP\\alice"});
  EXPECT_EQ(quietTryAll.out, quietPlain.out);
  EXPECT_EQ(quietTryAll.err, quietPlain.err);
  EXPECT_EQ(quietTryAll.status, 0);
}

const std::string kHubLinks = LinkTrace(kHubBranch) + LinkTrace(kHubLab) + LinkTrace(kBareLink);

INSTANTIATE_TEST_SUITE_P(
    Arrivals, ForestWideRunTest,
    ::testing::Values(RunCase{"ServersFirstOnOnePage", kServersFirst, 0, 0, 2,
                              Traces(kServersFirst) + kFullListing, 2, kHubLinks, 2,
                              LinkTrace(kHubBranch) + LinkTrace(kBranchOnly)},
                      RunCase{"SettingsFirstInPagesOfTwo", kSettingsFirst, 2, 0, 4,
                              Traces(kSettingsFirst) + kFullListing, 3, kHubLinks, 2,
                              LinkTrace(kHubBranch) + LinkTrace(kBranchOnly)},
                      // Every paged search fails at its third page request: what came before stays.
                      RunCase{"PageFailsMidway", kInterleaved, 1, 2, 3,
                              kDc1Server.trace + kDc1Ntds.trace + kDc1Listing, 3,
                              LinkTrace(kHubBranch) + LinkTrace(kHubLab), 3,
                              LinkTrace(kHubBranch) + LinkTrace(kBranchOnly)}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.label; });

TEST(ForestWideFailureRunTest, FailedEnumerationIsReportedAndTheRunGoesOn) {
  for (bool debug : {false, true}) {
    auto run = [&](bool tryAll) {
      fake::FakeForest forest;
      BuildForest(forest, kServersFirst);
      forest.SetForestDomains({1722, {}});
      std::vector<std::string> args{"-u", "CORP\\alice"};
      if (debug) args.insert(args.begin(), "-d");
      if (tryAll) args.insert(args.begin(), "-tryall");
      testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
      for (const fake::SearchRecord& search : forest.searches()) EXPECT_FALSE(search.paged);
      return outcome;
    };
    const testing::RunOutcome plain = run(false);
    const testing::RunOutcome tryAll = run(true);
    const std::string line = "Couldn't enumerate Forest trusts - 1722\n";
    EXPECT_EQ(tryAll.out, plain.out);
    EXPECT_TRUE(HoldsBlock(plain.err, tryAll.err,
                           debug ? "TRYALL: Locate GC for all domains...\n"
                                   "Enumerate the forest domains\n" +
                                       line
                                 : line));
    EXPECT_EQ(tryAll.status, 0);
  }
}

}  // namespace
}  // namespace nestwalk
