// Whole runs of the program against fake forests, from the account lookup to the report:
// standard output, standard error and the status compared in full.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

const std::string kBanner =
    "\nNestwalk V02.03.00LNX by the Nestwalk developers (nestwalk-developers@example.org) June "
    "2006\n\n";

struct Expected {
  std::string out;
  std::string err;
  int status = 0;
};

void ExpectRun(fake::FakeForest& forest, const std::vector<std::string>& args,
               const Expected& expected) {
  testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
  EXPECT_EQ(outcome.out, expected.out);
  EXPECT_EQ(outcome.err, expected.err);
  EXPECT_EQ(outcome.status, expected.status);
  // Every connection is closed exactly once, and none is used after that.
  for (const fake::ConnectionRecord& connection : forest.connections()) {
    if (connection.bound) {
      EXPECT_EQ(connection.unbindCount, 1) << connection.host.value_or("");
    }
  }
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
}

std::vector<int> PortsOpened(const fake::FakeForest& forest, const std::string& host) {
  std::vector<int> ports;
  for (const fake::ConnectionRecord& connection : forest.connections()) {
    if (connection.host == host) ports.push_back(connection.port);
  }
  return ports;
}

// ---- one domain ----------------------------------------------------------------------------

class OneDomainRunTest : public ::testing::Test {
 protected:
  void Build(bool dcIsGc) {
    testing::AddCorpWithDc1(forest_, dcIsGc);
    if (!dcIsGc) {
      forest_.AddServer({.host = "gc1.corp.example.com",
                         .domainDn = testing::kCorpDomainDn,
                         .site = "Default-First-Site-Name",
                         .globalCatalog = true});
    }
    forest_.AddUser(kBob, "bob", "513");
    forest_.AddGroup("CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com", "Domain Users",
                     "-2147483646", {}, 513);
    forest_.AddGroup("CN=Sales,DC=corp,DC=example,DC=com", "Sales", "-2147483646", {kBob});
    forest_.AddGroup("CN=Everyone Sales,DC=corp,DC=example,DC=com", "Everyone Sales", "-2147483640",
                     {"CN=Sales,DC=corp,DC=example,DC=com"});
  }

  static constexpr char kBob[] = "CN=Bob,CN=Users,DC=corp,DC=example,DC=com";
  const std::string kReport =
      "Security Principal: [USER] CORP\\bob\n"
      "Group Memberships:\n"
      "  [Global Security] [Domain Users] CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com\n"
      "  [Universal Security] [Everyone Sales] CN=Everyone Sales,DC=corp,DC=example,DC=com\n"
      "  [Global Security] [Sales] CN=Sales,DC=corp,DC=example,DC=com\n";
  fake::FakeForest forest_;
};

TEST_F(OneDomainRunTest, ADcThatIsAGcNamedByTheForestLocatorServesBothRoles) {
  Build(/*dcIsGc=*/true);
  ExpectRun(forest_, {"-u", "CORP\\bob"}, {kReport, kBanner, 0});
  EXPECT_EQ(PortsOpened(forest_, testing::kCorpDc1Host), (std::vector<int>{389, 3268}));
  EXPECT_EQ(forest_.connections().size(), 2u);
}

TEST_F(OneDomainRunTest, ADcThatIsNoGcAndAGcElsewhere) {
  Build(/*dcIsGc=*/false);
  ExpectRun(forest_, {"-u", "CORP\\bob"}, {kReport, kBanner, 0});
  EXPECT_EQ(PortsOpened(forest_, testing::kCorpDc1Host), (std::vector<int>{389}));
  EXPECT_EQ(PortsOpened(forest_, "gc1.corp.example.com"), (std::vector<int>{3268}));
}

TEST_F(OneDomainRunTest, ThePrimaryGroupIsFoundByItsSidAndLeftOutWithNp) {
  Build(/*dcIsGc=*/true);
  // S-1-5-21-1-2-3-513: 28 bytes, each escaped.
  const std::string filter =
      "(&(objectCategory=group)(objectSid=\\01\\05\\00\\00\\00\\00\\00\\05\\15\\00\\00\\00\\01\\00"
      "\\00\\00\\02\\00\\00\\00\\03\\00\\00\\00\\01\\02\\00\\00))";
  testing::RunOutcome outcome = testing::RunNestwalk(forest_, {"-u", "CORP\\bob"});
  int withFilter = 0;
  for (const fake::SearchRecord& search : forest_.searches()) {
    if (search.request.filter == filter) ++withFilter;
  }
  EXPECT_EQ(withFilter, 1);

  fake::FakeForest again;
  testing::AddCorpWithDc1(again, true);
  again.AddUser(kBob, "bob", "513");
  again.AddGroup("CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com", "Domain Users",
                 "-2147483646", {}, 513);
  ExpectRun(again, {"-np", "-q", "-u", "CORP\\bob"},
            {"Security Principal: [USER] CORP\\bob\n", "", 0});
  for (const fake::SearchRecord& search : again.searches()) {
    EXPECT_EQ(search.request.filter.find("objectSid"), std::string::npos);
  }
}

TEST_F(OneDomainRunTest, APrimaryGroupThatIsNotFoundIsReportedAndLeftOut) {
  Build(/*dcIsGc=*/true);
  forest_.AddUser("CN=Carol,CN=Users,DC=corp,DC=example,DC=com", "carol", "999");
  ExpectRun(forest_, {"-u", "CORP\\carol"},
            {"Security Principal: [USER] CORP\\carol\nGroup Memberships:\n",
             kBanner + "ERROR: Couldn't find primary group with SID S-1-5-21-1-2-3-999\n"
                       "WARNING: 1 read fell short; the list may be incomplete\n",
             0});
}

TEST_F(OneDomainRunTest, QuietLeavesOutTheBannerAndTheHeadingOnly) {
  Build(/*dcIsGc=*/true);
  std::string report = kReport;
  report.erase(report.find("Group Memberships:\n"), 19);
  ExpectRun(forest_, {"-q", "-u", "CORP\\bob"}, {report, "", 0});
}

TEST_F(OneDomainRunTest, AnAccountThatIsNotFoundOrNotUniqueEndsTheRun) {
  Build(/*dcIsGc=*/true);
  forest_.AddUser("CN=Twin1,OU=A,DC=corp,DC=example,DC=com", "twin", "513");
  forest_.AddUser("CN=Twin2,OU=B,DC=corp,DC=example,DC=com", "twin", "513");
  forest_.AddUser("CN=Bobby,CN=Users,DC=corp,DC=example,DC=com", "bobby", "513");
  struct Case {
    std::string name;
    std::string err;
  };
  const std::string notFound = "ERROR: Couldn't find SAMName ";
  const std::string base = " in DC=corp,DC=example,DC=com\n";
  const Case cases[] = {
      {"nobody", notFound + "nobody" + base},
      {"twin", "ERROR: SAMName twin is not unique!!!\n"},
      // Filter metacharacters are matched literally: "bob*" names no account, although bob and
      // bobby would match the pattern.
      {"bob*", notFound + "bob*" + base},
      {"bob)(x=1", notFound + "bob)(x=1" + base},
      {"(bob", notFound + "(bob" + base},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRun(forest_, {"-u", "CORP\\" + c.name},
              {"Security Principal: [USER] CORP\\" + c.name + "\n",
               kBanner + c.err + "Terminating program.\n", -1});
  }
}

TEST_F(OneDomainRunTest, GroupAndComputerPrincipals) {
  Build(/*dcIsGc=*/true);
  forest_.AddGroup("CN=Domain Computers,CN=Users,DC=corp,DC=example,DC=com", "Domain Computers",
                   "-2147483646", {}, 515);
  forest_.AddComputer("CN=WS1,CN=Computers,DC=corp,DC=example,DC=com", "WS1$", "515");
  forest_.AddGroup("CN=Kiosks,DC=corp,DC=example,DC=com", "Kiosks", "4",
                   {"CN=WS1,CN=Computers,DC=corp,DC=example,DC=com"});
  // A group has no primary group: only what it is a member of.
  ExpectRun(forest_, {"-group", "CORP\\Sales"},
            {"Security Principal: [GROUP] CORP\\Sales\n"
             "Group Memberships:\n"
             "  [Universal Security] [Everyone Sales] CN=Everyone "
             "Sales,DC=corp,DC=example,DC=com\n",
             kBanner, 0});
  ExpectRun(forest_, {"-comp", "CORP\\WS1"},
            {"Security Principal: [COMPUTER] CORP\\WS1\n"
             "Group Memberships:\n"
             "  [Global Security] [Domain Computers] CN=Domain "
             "Computers,CN=Users,DC=corp,DC=example,DC=com\n"
             "  [Local Distribution] [Kiosks] CN=Kiosks,DC=corp,DC=example,DC=com\n",
             kBanner, 0});
}

TEST_F(OneDomainRunTest, MemberOfBeyondTheServersValueLimitIsReadInRanges) {
  Build(/*dcIsGc=*/true);
  std::string report = kReport;
  for (int i = 1; i <= 6; ++i) {
    const std::string dn = "CN=Team" + std::to_string(i) + ",OU=Teams,DC=corp,DC=example,DC=com";
    forest_.AddGroup(dn, "Team" + std::to_string(i), "2", {kBob});
    report += "  [Global Distribution] [Team" + std::to_string(i) + "] " + dn + "\n";
  }
  forest_.SetMaxValueRange(3);  // bob is in 7 groups, Sales in 1
  ExpectRun(forest_, {"-u", "CORP\\bob"}, {report, kBanner, 0});
}

// ---- three domains -------------------------------------------------------------------------

const std::string kThreeDomainReport =
    "Security Principal: [USER] EMEA\\alice\n"
    "Group Memberships:\n"
    "  [Global Security] [All] CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
    "  [Local Security] [DL-Other] CN=DL-Other,DC=other,DC=test\n"
    "  [Global Security] [Domain Users] CN=Domain "
    "Users,CN=Users,DC=emea,DC=corp,DC=example,DC=com\n"
    "  [Global Security] [Staff] CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
    "  [Universal Security] [U-All] CN=U-All,OU=Groups,DC=corp,DC=example,DC=com\n"
    "  [Universal Security] [U-Other] CN=U-Other,DC=other,DC=test\n"
    "  [Universal Distribution] [U-Other2] CN=U-Other2,DC=other,DC=test\n"
    "  [Global Distribution] [Zahn] CN=Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
    "  [Global Distribution] [\xC4rzte] CN=\xC4rzte,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n";

TEST(ThreeDomainRunTest, GroupsOfEveryDomainThroughTheServersOfTheirDomain) {
  fake::FakeForest forest;
  Forest::Build(forest, /*otherIsGc=*/true);
  ExpectRun(forest, {"-u", "EMEA\\alice"}, {kThreeDomainReport, kBanner, 0});
  // dc3 is found when its domain's first group comes up; being a GC, it then serves the rest.
  struct Case {
    const char* dn;
    int gcReads;
    int dc3Reads;
  };
  for (Case c :
       {Case{Forest::kUOther, 1, 1}, Case{Forest::kDlOther, 0, 1}, Case{Forest::kUOther2, 0, 1}}) {
    EXPECT_EQ(forest.SearchCount(testing::kCorpDc1Host, 3268, c.dn), c.gcReads) << c.dn;
    EXPECT_EQ(forest.SearchCount(Forest::kDc3, 389, c.dn), c.dc3Reads) << c.dn;
  }
  EXPECT_EQ(PortsOpened(forest, Forest::kDc3), (std::vector<int>{389}));
  EXPECT_EQ(forest.connections().size(), 3u);
}

TEST(ThreeDomainRunTest, EveryGroupOfADomainWhoseDcCannotBeBoundSaysSo) {
  fake::FakeForest forest;
  Forest::Build(forest, /*otherIsGc=*/true);
  forest.FailBind(Forest::kDc3, std::nullopt, platform::kLdapInvalidCredentials);
  std::string report = kThreeDomainReport;
  const std::string dlOther = "  [Local Security] [DL-Other] CN=DL-Other,DC=other,DC=test\n";
  report.erase(report.find(dlOther), dlOther.size());  // only dc3 lists it
  const std::string bindFailure =
      "LDAP_BIND: [dc3.other.test] Error 0x31 (49) - Invalid credentials\n"
      "ERROR: Can't locate DC for other.test\n";
  ExpectRun(forest, {"-u", "EMEA\\alice"},
            {report,
             kBanner + bindFailure + bindFailure +
                 "WARNING: 2 groups could not be read in full; the list may be incomplete\n",
             0});
}

}  // namespace
}  // namespace nestwalk
