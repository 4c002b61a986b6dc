#include "platform/linux/linux_host_queries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace nestwalk::platform {
namespace {

TEST(NetbiosComputerNameTest, FromSmbConfOrHostName) {
  struct Case {
    std::optional<std::string> netbiosName;
    const char* hostName;
    const char* want;
  };
  const Case cases[] = {
      {std::nullopt, "pc1", "PC1"},
      {std::nullopt, "pc1.corp.example.com", "PC1"},
      {std::nullopt, "a-very-long-host-name-indeed", "A-VERY-LONG-HOS"},
      {"Fileserver", "ignored", "FILESERVER"},
      {"", "pc2", "PC2"},
      {"ABCDEFGHIJKLMNOPQ", "x", "ABCDEFGHIJKLMNO"},
      {std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NetbiosComputerName(c.netbiosName, c.hostName), c.want) << c.hostName;
  }
}

// A DC of CORP.TEST answers with the flat name `flat`; nothing else answers.
DomainPing PingAnswering(std::optional<std::string> flat, std::vector<std::string>& asked) {
  return [flat, &asked](const std::string& dnsDomain) -> std::optional<NetlogonResponse> {
    asked.push_back(dnsDomain);
    if (!flat || dnsDomain != "CORP.TEST") return std::nullopt;
    NetlogonResponse response;
    response.netbiosDomainName = *flat;
    return response;
  };
}

const char* const kNoDcHint = "no domain controller of CORP.TEST answered: check DNS and the network";

TEST(LoggedOnUserOfTest, LogonDomainIsTheRealmsFlatName) {
  struct Case {
    const char* name;
    std::optional<std::string> flat;
    int status;
    const char* userName;
    const char* logonDomain;
    const char* hint;
  };
  const Case cases[] = {
      {"a DC answers", "CORP", 0, "alice", "CORP", ""},
      {"no DC answers", std::nullopt, kStatusNoDomainController, "", "", kNoDcHint},
      {"the answer has no flat name", "", kStatusNoDomainController, "", "", kNoDcHint},
  };
  for (const Case& c : cases) {
    std::vector<std::string> asked;
    const CachePrincipal cache{CachePrincipalError::kNone, "alice@CORP.TEST"};
    const LoggedOnUserAnswer answer = LoggedOnUserOf(cache, PingAnswering(c.flat, asked));
    EXPECT_EQ(answer.status, c.status) << c.name;
    EXPECT_EQ(answer.userName, c.userName) << c.name;
    EXPECT_EQ(answer.logonDomain, c.logonDomain) << c.name;
    EXPECT_EQ(answer.hint, c.hint) << c.name;
    EXPECT_EQ(asked, std::vector<std::string>{"CORP.TEST"}) << c.name;
  }
}

TEST(JoinAnswerOfTest, KeytabJoinTakesTheFlatNameOfItsRealm) {
  struct Case {
    const char* name;
    JoinRecord record;
    std::optional<std::string> flat;
    int status;
    bool joined;
    const char* domainName;
    const char* hint;
    std::size_t pings;
  };
  const Case cases[] = {
      {"smb.conf join", {true, "WG", "CORP.TEST"}, "CORP", 0, true, "WG", "", 0},
      {"keytab join", {true, "", "CORP.TEST"}, "CORP", 0, true, "CORP", "", 1},
      {"keytab join, no DC answers", {true, "", "CORP.TEST"}, std::nullopt,
       kStatusNoDomainController, false, "", kNoDcHint, 1},
      {"not joined", {}, "CORP", 0, false, "", "", 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> asked;
    const JoinAnswer answer = JoinAnswerOf(c.record, PingAnswering(c.flat, asked));
    EXPECT_EQ(answer.status, c.status) << c.name;
    EXPECT_EQ(answer.joinedToDomain, c.joined) << c.name;
    EXPECT_EQ(answer.domainName, c.domainName) << c.name;
    EXPECT_EQ(answer.hint, c.hint) << c.name;
    EXPECT_EQ(asked.size(), c.pings) << c.name;
  }
}

// A cache that does not exist gives the documented status and the kinit hint.
TEST(LinuxHostQueriesTest, NoTicketCache) {
  const char* saved = std::getenv("KRB5CCNAME");
  const std::string restore = saved ? saved : "";
  setenv("KRB5CCNAME", "FILE:/nonexistent/nestwalk/krb5cc", 1);
  const LoggedOnUserAnswer answer = LinuxHostQueries().GetLoggedOnUser();
  if (saved) {
    setenv("KRB5CCNAME", restore.c_str(), 1);
  } else {
    unsetenv("KRB5CCNAME");
  }
  EXPECT_EQ(answer.status, kStatusNoTicketCache);
  EXPECT_EQ(answer.hint, "run kinit to obtain a Kerberos ticket");
  EXPECT_EQ(answer.userName, "");
}

}  // namespace
}  // namespace nestwalk::platform
