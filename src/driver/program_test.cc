#include "driver/program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Words = std::vector<std::string>;

const std::string kBanner =
    "\nNestwalk V02.03.00LNX by the Nestwalk developers (nestwalk-developers@example.org) June "
    "2006\n\n";

const std::string kUsage =
    "Usage:\n"
    " Nestwalk [-s DomainController] [-u userid] [-group groupname] [-comp [computername]] "
    "[-np]\n\n"
    "   DomainController    DC to direct queries to. Default value - Default\n"
    "                       LDAP Server\n"
    "\n"
    "   userid              User Id to look up. Default value - current user\n"
    "                       format: domain\\username\n"
    "\n"
    "   groupname           Group SAMName to lookup if -group specified.\n"
    "                       format: domain\\GroupName\n"
    "\n"
    "   computername        Computer account to look up. Default value - localhost\n"
    "                       format: domain\\ComputerName\n"
    "\n"
    "   -np                 Disables default action of grabbing primary group\n"
    "                       and adding to the list. The primary group is not a \n"
    "                       member of memberOf attribute so it has to be grabbed\n"
    "                       specially.\n"
    "\n"
    "  Ex1: Nestwalk\n"
    "          This look up the current user info on whatever DC it finds.\n"
    "\n"
    "  Ex2: Nestwalk -s DC1 -u quorvane\\tibbet\n"
    "           Will verify that DC1 is a DC that has info for quorvane\n"
    "           and then lookup info for the quorvane\\tibbet id.\n"
    "\n"
    "  Ex3: Nestwalk -np\n"
    "           Look up current user on default ldap server, don't get primary\n"
    "           group information.\n"
    "\n\n"
    "Further switches:\n"
    "   -tryall             Also trace the forest: domains, GCs, site link costs\n"
    "   -fast               Many reads in flight: the same report, fewer round trips\n"
    "   -path               After each group, the shortest chain that leads to it\n"
    "   -token              After the report, the Kerberos token size estimate\n"
    "   -json               One JSON document on standard output, not the report\n"
    "   -complete           Also search every domain for domain-local groups\n"
    "   -in FILE            Accounts to look up, one a line, - for standard input\n"
    "   -under DN           Every user and computer under that DN\n"
    "   -csv                With -in or -under: one CSV row per account and group\n"
    "   -members GROUP      Every member of the group, through nesting (domain\\name or DN)\n"
    "   -pingwait SECONDS   Wait this long for a DC's LDAP ping (default 2.5 s)\n"
    "   -since FILE         Only what changed since FILE, an earlier -csv or -json\n"
    "\n"
    "Nestwalk lists the groups an account belongs to, directly or through nesting, in every\n"
    "domain of the forest. It needs a Kerberos ticket of the caller (kinit).\n"
    "See man nestwalk for every switch, the exit statuses and the files it reads.\n"
    "\n";

const std::string kNoDomain =
    "Must specify Domain in userid/computer/group parameter\n   Format: flatdomain\\SAMName\n \n"
    "Program Terminated\n\n";
const std::string kNoGroupName = "Error: Must specify group name with -group option.\n";
const std::string kBadPingWait = "Error: -pingwait takes a whole number of seconds from 1 to 60.\n";

// A host that runs as CORP\alice on PC1, joined to CORP; no directory behind it.
void SetUpHost(fake::FakeForest& forest) {
  forest.SetLoggedOnUser({0, "alice", "CORP", ""});
  forest.SetComputerName({0, "PC1", ""});
  forest.SetJoinInformation({0, true, "CORP", ""});
}

std::string Line(const Words& words) {
  std::string line;
  for (const std::string& word : words) line += " " + word;
  return line;
}

// A run that ends before the directory phases: every stream and the status are fixed, and
// nothing reaches standard output.
struct FixedRun {
  Words words;
  std::string err;
  int status;
  void (*setUp)(fake::FakeForest&) = nullptr;  // host answers beyond SetUpHost's
};

void ExpectFixedRun(const FixedRun& run) {
  fake::FakeForest forest;
  SetUpHost(forest);
  if (run.setUp != nullptr) run.setUp(forest);
  testing::RunOutcome outcome = testing::RunNestwalk(forest, run.words);
  EXPECT_EQ(outcome.out, "") << Line(run.words);
  EXPECT_EQ(outcome.err, run.err) << Line(run.words);
  EXPECT_EQ(outcome.status, run.status) << Line(run.words);
}

TEST(RunProgramTest, UsageAndSwitchErrorsInReadingOrder) {
  const FixedRun cases[] = {
      {{"-h"}, kBanner + kUsage, 1},
      {{"-?"}, kBanner + kUsage, 1},
      {{"/?"}, kBanner + kUsage, 1},
      {{"-H"}, kBanner + kUsage, 1},
      {{"-q", "-h"}, kUsage, 1},
      {{"-h", "-q"}, kUsage, 1},
      {{"-h", "-group"}, kBanner + kUsage, 1},  // -h is read before -group
      {{"-group", "-h"}, kBanner + kUsage, 1},
      {{"-u", "alpha", "-h"}, kBanner + kUsage, 1},
      {{"-group"}, kBanner + kNoGroupName, -1},
      {{"-group", "-s", "dc1"}, kBanner + kNoGroupName, -1},
      {{"-np", "-comp", "CORP\\PC1", "-group"}, kBanner + kNoGroupName, -1},
      {{"-d", "-group"}, kBanner + kNoGroupName, -1},  // rejected before the principal step
      {{"-q", "-group"}, kNoGroupName, -1},
      {{"-u", "alpha"}, kBanner + kNoDomain, -1},
      {{"-q", "-u", "alpha"}, kNoDomain, -1},
      {{"-q", "x", "-u", "alpha"}, kNoDomain, -1},  // q's value is consumed and ignored
      {{"-d", "-q", "-u", "alpha"}, "UserID specified [alpha]\n" + kNoDomain, -1},
      {{"-x", "-u", "alpha"}, kBanner + kNoDomain, -1},  // an unknown switch changes nothing
      {{"-u", "CORP\\alice", "-comp", "PC1"}, kBanner + kNoDomain, -1},
      {{"-U", "alpha", "/Group", "Sales"}, kBanner + kNoDomain, -1},
      {{"-q", "-in"}, "Error: Must specify a file with -in option.\n", -1},
      {{"-q", "-under"}, "Error: Must specify a DN with -under option.\n", -1},
      {{"-q", "-under", "not a dn"},
       "Error: -under needs a DN that ends in DC= parts: not a dn\n", -1},
      {{"-q", "-csv", "-json", "-u", "CORP\\alice"},
       "Error: -csv and -json cannot be combined.\n", -1},
      {{"-q", "-members"}, "Error: Must specify a group with -members option.\n", -1},
      {{"-q", "-members", "CORP\\Sales", "-in", "list.txt"},
       "Error: -members cannot be combined with -in or -under.\n", -1},
      {{"-q", "-members", "CORP\\Sales", "-since", "review.csv"},
       "Error: -members cannot be combined with -since.\n", -1},
      {{"-q", "-pingwait", "0", "-u", "CORP\\alice"}, kBadPingWait, -1},
      {{"-q", "-pingwait", "61", "-u", "CORP\\alice"}, kBadPingWait, -1},
      {{"-q", "-pingwait", "2.5", "-u", "CORP\\alice"}, kBadPingWait, -1},
      {{"-q", "-pingwait", "-u", "CORP\\alice"}, kBadPingWait, -1},
  };
  for (const FixedRun& run : cases) ExpectFixedRun(run);
}

TEST(RunProgramTest, HostQueryFailuresEndTheRunWithTheirStatus) {
  const FixedRun cases[] = {
      {{},
       kBanner +
           "Error: NetWkStaUserGetInfo failed - 2\n   run kinit to obtain a Kerberos ticket\n",
       2,
       [](fake::FakeForest& f) {
         f.SetLoggedOnUser({2, "", "", "run kinit to obtain a Kerberos ticket"});
       }},
      {{"-comp"},
       kBanner + "Error: NetWkStaGetInfo failed - 5\n",
       5,
       [](fake::FakeForest& f) {
         f.SetComputerName({5, "", ""});
       }},
      {{"-comp"},
       kBanner + "Error: NetGetJoinInformation failed - 6\n   no smb.conf\n",
       6,
       [](fake::FakeForest& f) {
         f.SetJoinInformation({6, false, "", "no smb.conf"});
       }},
      {{"-q", "-comp"},
       "Error: Machine does not appear to be part of a domain.\n",
       -1,
       [](fake::FakeForest& f) {
         f.SetJoinInformation({0, false, "", ""});
       }},
      // -comp without a value looks up this machine even though -u named an account.
      {{"-u", "CORP\\alice", "-comp"},
       kBanner + "Error: Machine does not appear to be part of a domain.\n",
       -1,
       [](fake::FakeForest& f) {
         f.SetJoinInformation({0, false, "WORKGROUP", ""});
       }},
  };
  for (const FixedRun& run : cases) ExpectFixedRun(run);
}

// Runs that get past the principal step: with no directory behind the host, the principal
// line is all that reaches standard output.
TEST(RunProgramTest, PrincipalLineOpensStandardOutput) {
  struct Case {
    Words words;
    std::string out;
  };
  const Case cases[] = {
      {{}, "Security Principal: [USER] CORP\\alice\n"},
      {{"-q"}, "Security Principal: [USER] CORP\\alice\n"},
      {{"-x", "value", "-np", "-tryall"}, "Security Principal: [USER] CORP\\alice\n"},
      {{"-u", "corp\\Bob"}, "Security Principal: [USER] corp\\Bob\n"},
      {{"-u", "\\x"}, "Security Principal: [USER] \\x\n"},
      {{"-comp"}, "Security Principal: [COMPUTER] CORP\\PC1$\n"},
      {{"-comp", "-u", "CORP\\bob"}, "Security Principal: [COMPUTER] CORP\\PC1$\n"},
      {{"-u", "CORP\\bob", "-comp", "CORP\\PC2"}, "Security Principal: [COMPUTER] CORP\\PC2\n"},
      {{"-comp", "CORP\\PC2", "-group", "CORP\\Sales"},
       "Security Principal: [GROUP] CORP\\Sales\n"},
      {{"-np", "-GROUP", "CORP\\Sales", "-s", "dc1"}, "Security Principal: [GROUP] CORP\\Sales\n"},
      // Control characters of a name never reach the terminal raw.
      {{"-u", "CORP\\a\x1b[2J\a\rb\x7f"},
       "Security Principal: [USER] CORP\\a\\1B[2J\\07\\0Db\\7F\n"},
  };
  for (const Case& c : cases) {
    fake::FakeForest forest;
    SetUpHost(forest);
    testing::RunOutcome outcome = testing::RunNestwalk(forest, c.words);
    EXPECT_EQ(outcome.out, c.out) << Line(c.words);
  }
}

TEST(RunProgramTest, BannerComesFirstUnlessQuiet) {
  fake::FakeForest forest;
  SetUpHost(forest);
  EXPECT_EQ(testing::RunNestwalk(forest, {}).err.rfind(kBanner, 0), 0U);
  EXPECT_EQ(testing::RunNestwalk(forest, {"-q"}).err.find("Nestwalk V02.03.00LNX"),
            std::string::npos);
}

TEST(ExitCodeForStatusTest, KeepsEightBitsAndNeverTurnsAFailureIntoSuccess) {
  const std::pair<int, int> cases[] = {
      {0, 0},     {1, 1},   {-1, 255},  {2, 2},    {255, 255},  {256, 255},
      {512, 255}, {257, 1}, {1355, 75}, {-2, 254}, {-256, 255}, {-255, 1},
  };
  for (const auto& [status, code] : cases) {
    EXPECT_EQ(ExitCodeForStatus(status), code) << status;
  }
}

// A DC slower than the locator's default ping wait can be waited for.
TEST(RunProgramTest, PingWaitReachesThePlatformBeforeAnyQuery) {
  for (const auto& [words, wait] :
       {std::pair<Words, std::optional<std::chrono::milliseconds>>{{"-u", "CORP\\alice"},
                                                                  std::nullopt},
        {{"-pingwait", "10", "-u", "CORP\\alice"}, std::chrono::seconds(10)},
        {{"-pingwait", "60", "-in", "-"}, std::chrono::seconds(60)}}) {
    fake::FakeForest forest;
    SetUpHost(forest);
    testing::RunNestwalk(forest, words);
    EXPECT_EQ(forest.pingWait(), wait) << words[1];
  }
}

}  // namespace
}  // namespace nestwalk
