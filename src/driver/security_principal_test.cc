#include "driver/security_principal.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace nestwalk {

void PrintTo(const SecurityPrincipal& p, std::ostream* os) {
  *os << "{kind=" << static_cast<int>(p.kind) << " domain=[" << p.domain << "] sam=[" << p.samName
      << "] shown=[" << p.qualifiedName << "]}";
}

namespace {

// Canned host answers; counts the questions so a test sees which were asked.
class CannedHost : public platform::HostQueries {
 public:
  platform::ComputerNameAnswer computer{0, "PC1", ""};
  platform::JoinAnswer join{0, true, "CORP", ""};
  platform::LoggedOnUserAnswer user{0, "alice", "CORP", ""};
  std::string asked;

  platform::ComputerNameAnswer GetComputerName() override {
    asked += "computer ";
    return computer;
  }
  platform::JoinAnswer GetJoinInformation() override {
    asked += "join ";
    return join;
  }
  platform::LoggedOnUserAnswer GetLoggedOnUser() override {
    asked += "user ";
    return user;
  }
};

struct Case {
  std::string name;
  PrincipalKind kind;
  std::string text;
  void (*setUp)(CannedHost&);  // nullptr: the default answers
  // Expected: the principal (nullopt: a failure with `status`), the two streams, the questions.
  std::optional<SecurityPrincipal> principal;
  int status;
  std::string out;
  std::string err;
  std::string asked;
};

constexpr PrincipalKind kUser = PrincipalKind::kUser;
constexpr PrincipalKind kComputer = PrincipalKind::kComputer;
constexpr PrincipalKind kGroup = PrincipalKind::kGroup;

const std::string kNoDomain =
    "Must specify Domain in userid/computer/group parameter\n   Format: flatdomain\\SAMName\n \n"
    "Program Terminated\n\n";

void Check(const Case& c, bool debug) {
  CannedHost host;
  if (c.setUp != nullptr) c.setUp(host);
  RunSettings settings;
  settings.debug = debug;
  settings.principalKind = c.kind;
  settings.principalText = c.text;
  std::ostringstream out;
  std::ostringstream err;
  // quiet never silences the principal line or the errors.
  Console console(out, err, /*quiet=*/true, debug);
  auto resolved = ResolvePrincipal(console, host, settings);
  if (c.principal) {
    ASSERT_TRUE(std::holds_alternative<SecurityPrincipal>(resolved)) << c.name;
    EXPECT_EQ(std::get<SecurityPrincipal>(resolved), *c.principal) << c.name;
  } else {
    ASSERT_TRUE(std::holds_alternative<PrincipalFailure>(resolved)) << c.name;
    EXPECT_EQ(std::get<PrincipalFailure>(resolved).status, c.status) << c.name;
  }
  EXPECT_EQ(out.str(), c.out) << c.name;
  if (!debug) {
    EXPECT_EQ(err.str(), c.err) << c.name;
  }
  EXPECT_EQ(host.asked, c.asked) << c.name;
}

TEST(ResolvePrincipalTest, BuildsThePrincipalOrFailsWithTheHostStatus) {
  const Case cases[] = {
      {"current user", kUser, "", nullptr, SecurityPrincipal{kUser, "CORP", "alice", "CORP\\alice"},
       0, "Security Principal: [USER] CORP\\alice\n", "", "user "},
      {"no ticket", kUser, "",
       [](CannedHost& h) {
         h.user = {2, "", "", "run kinit to obtain a Kerberos ticket"};
       },
       std::nullopt, 2, "",
       "Error: NetWkStaUserGetInfo failed - 2\n   run kinit to obtain a Kerberos ticket\n",
       "user "},
      {"user query fails without hint", kUser, "", [](CannedHost& h) { h.user.status = 3; },
       std::nullopt, 3, "", "Error: NetWkStaUserGetInfo failed - 3\n", "user "},
      {"current machine", kComputer, "", nullptr,
       SecurityPrincipal{kComputer, "CORP", "PC1$", "CORP\\PC1$"}, 0,
       "Security Principal: [COMPUTER] CORP\\PC1$\n", "", "computer join "},
      {"computer name fails", kComputer, "",
       [](CannedHost& h) {
         h.computer = {4, "", "check the host name"};
       },
       std::nullopt, 4, "", "Error: NetWkStaGetInfo failed - 4\n   check the host name\n",
       "computer "},
      {"join query fails", kComputer, "",
       [](CannedHost& h) {
         h.join = {256, false, "", "smb.conf cannot be read"};
       },
       std::nullopt, 256, "",
       "Error: NetGetJoinInformation failed - 256\n   smb.conf cannot be read\n", "computer join "},
      {"join query fails with a negative status", kComputer, "",
       [](CannedHost& h) { h.join.status = -7; }, std::nullopt, -7, "",
       "Error: NetGetJoinInformation failed - -7\n", "computer join "},
      {"not joined", kComputer, "",
       [](CannedHost& h) {
         h.join = {0, false, "WORKGROUP", ""};
       },
       std::nullopt, -1, "", "Error: Machine does not appear to be part of a domain.\n",
       "computer join "},
      {"not joined with hint", kComputer, "",
       [](CannedHost& h) {
         h.join = {0, false, "", "join the domain first"};
       },
       std::nullopt, -1, "",
       "Error: Machine does not appear to be part of a domain.\n   join the domain first\n",
       "computer join "},
      {"user given", kUser, "CORP\\alice", nullptr,
       SecurityPrincipal{kUser, "CORP", "alice", "CORP\\alice"}, 0,
       "Security Principal: [USER] CORP\\alice\n", "", ""},
      {"no backslash", kUser, "alpha", nullptr, std::nullopt, -1, "", kNoDomain, ""},
      {"computer without backslash", kComputer, "PC1", nullptr, std::nullopt, -1, "", kNoDomain,
       ""},
      {"group without backslash", kGroup, "Sales", nullptr, std::nullopt, -1, "", kNoDomain, ""},
      {"further backslashes stay in the name", kUser, "a\\b\\c", nullptr,
       SecurityPrincipal{kUser, "a", "b\\c", "a\\b\\c"}, 0, "Security Principal: [USER] a\\b\\c\n",
       "", ""},
      {"empty domain", kUser, "\\x", nullptr, SecurityPrincipal{kUser, "", "x", "\\x"}, 0,
       "Security Principal: [USER] \\x\n", "", ""},
      {"user ending in $", kUser, "CORP\\svc$", nullptr,
       SecurityPrincipal{kUser, "CORP", "svc$", "CORP\\svc$"}, 0,
       "Security Principal: [USER] CORP\\svc$\n", "", ""},
      {"computer gets $, shown as typed", kComputer, "CORP\\PC1", nullptr,
       SecurityPrincipal{kComputer, "CORP", "PC1$", "CORP\\PC1"}, 0,
       "Security Principal: [COMPUTER] CORP\\PC1\n", "", ""},
      {"computer with $", kComputer, "CORP\\PC1$", nullptr,
       SecurityPrincipal{kComputer, "CORP", "PC1$", "CORP\\PC1$"}, 0,
       "Security Principal: [COMPUTER] CORP\\PC1$\n", "", ""},
      {"computer with $ inside", kComputer, "CORP\\P$C", nullptr,
       SecurityPrincipal{kComputer, "CORP", "P$C", "CORP\\P$C"}, 0,
       "Security Principal: [COMPUTER] CORP\\P$C\n", "", ""},
      {"computer with empty name", kComputer, "CORP\\", nullptr,
       SecurityPrincipal{kComputer, "CORP", "$", "CORP\\"}, 0,
       "Security Principal: [COMPUTER] CORP\\\n", "", ""},
      {"group", kGroup, "corp\\Sales Team", nullptr,
       SecurityPrincipal{kGroup, "corp", "Sales Team", "corp\\Sales Team"}, 0,
       "Security Principal: [GROUP] corp\\Sales Team\n", "", ""},
  };
  for (const Case& c : cases) {
    Check(c, /*debug=*/false);
    Check(c, /*debug=*/true);  // the same results, and nothing more on standard output
  }
}

TEST(ResolvePrincipalTest, DebugLinesTraceEachPath) {
  struct DebugCase {
    PrincipalKind kind;
    std::string text;
    void (*setUp)(CannedHost&);
    std::string err;
  };
  const DebugCase cases[] = {
      {kUser, "", nullptr,
       "UserID specified []\nDetermining current user...\nUserID: CORP\\alice\n"
       "Domain: CORP\nUserName: alice\n"},
      {kComputer, "", nullptr,
       "UserID specified []\nDetermining current machine...\nComputer: CORP\\PC1$\n"
       "Domain: CORP\nUserName: PC1$\n"},
      {kComputer, "",
       [](CannedHost& h) {
         h.computer = {53, "", "no host name"};
       },
       "UserID specified []\nDetermining current machine...\n"
       "Error: NetWkStaGetInfo failed - 53\n   no host name\n"},
      {kComputer, "CORP\\PC1", nullptr,
       "UserID specified [CORP\\PC1]\nOld style UserID\nDomain: CORP\nUserName: PC1$\n"},
      {kGroup, "a\\b\\c", nullptr,
       "UserID specified [a\\b\\c]\nOld style UserID\nDomain: a\nUserName: b\\c\n"},
      {kUser, "alpha", nullptr, "UserID specified [alpha]\n" + kNoDomain},
  };
  for (const DebugCase& c : cases) {
    CannedHost host;
    if (c.setUp != nullptr) c.setUp(host);
    RunSettings settings;
    settings.debug = true;
    settings.principalKind = c.kind;
    settings.principalText = c.text;
    std::ostringstream out;
    std::ostringstream err;
    Console console(out, err, false, true);
    ResolvePrincipal(console, host, settings);
    EXPECT_EQ(err.str(), c.err) << c.text;
  }
}

}  // namespace
}  // namespace nestwalk
