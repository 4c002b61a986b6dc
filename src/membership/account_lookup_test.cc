#include "membership/account_lookup.h"

#include <string>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

TEST(AccountFilterTest, CategoryByKindAndTheNameEscaped) {
  struct Case {
    PrincipalKind kind;
    const char* name;
    const char* filter;
  };
  const Case cases[] = {
      {PrincipalKind::kUser, "alice", "(&(objectcategory=person)(sAMAccountName=alice))"},
      {PrincipalKind::kComputer, "WS1$", "(&(objectcategory=computer)(sAMAccountName=WS1$))"},
      {PrincipalKind::kGroup, "Sales", "(&(objectcategory=group)(sAMAccountName=Sales))"},
      {PrincipalKind::kUser, "a*", "(&(objectcategory=person)(sAMAccountName=a\\2a))"},
      {PrincipalKind::kUser, "x)(cn=*",
       "(&(objectcategory=person)(sAMAccountName=x\\29\\28cn=\\2a))"},
      {PrincipalKind::kUser, "back\\slash",
       "(&(objectcategory=person)(sAMAccountName=back\\5cslash))"},
  };
  for (const Case& c : cases) EXPECT_EQ(AccountFilter(c.kind, c.name), c.filter) << c.name;
}

class GetUserDnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddCorpWithDc1(forest_, true);
    forest_.AddUser("CN=Alice,CN=Users,DC=corp,DC=example,DC=com", "alice", "513");
    forest_.AddUser("CN=Ann,CN=Users,DC=corp,DC=example,DC=com", "ann", "513");
    forest_.AddUser("CN=Twin1,OU=A,DC=corp,DC=example,DC=com", "twin", "513");
    forest_.AddUser("CN=Twin2,OU=B,DC=corp,DC=example,DC=com", "twin", "513");
    forest_.AddComputer("CN=WS1,CN=Computers,DC=corp,DC=example,DC=com", "WS1$", "515");
    forest_.AddGroup("CN=Sales,DC=corp,DC=example,DC=com", "Sales", "-2147483646", {});
    connection_ = testing::BindTo(forest_, testing::kCorpDc1Host);
  }

  struct Outcome {
    AccountObject account;
    std::string err;
  };
  Outcome Lookup(const std::string& name, PrincipalKind kind, bool debug = false) {
    testing::CapturedConsole captured(debug);
    AccountObject account =
        GetUserDN(captured.console, forest_, connection_, testing::kCorpDomainDn, name, kind);
    EXPECT_EQ(captured.out.str(), "");
    return {account, captured.err.str()};
  }

  fake::FakeForest forest_;
  platform::LdapHandle connection_;
};

TEST_F(GetUserDnTest, FindsExactlyOneObjectOfTheKind) {
  struct Case {
    const char* name;
    PrincipalKind kind;
    const char* dn;
    const char* primaryGroupID;
  };
  const Case cases[] = {
      {"alice", PrincipalKind::kUser, "CN=Alice,CN=Users,DC=corp,DC=example,DC=com", "513"},
      {"WS1$", PrincipalKind::kComputer, "CN=WS1,CN=Computers,DC=corp,DC=example,DC=com", "515"},
      {"Sales", PrincipalKind::kGroup, "CN=Sales,DC=corp,DC=example,DC=com", ""},
  };
  for (const Case& c : cases) {
    Outcome outcome = Lookup(c.name, c.kind);
    EXPECT_EQ(outcome.account.dn, c.dn) << c.name;
    EXPECT_EQ(outcome.account.primaryGroupID, c.primaryGroupID) << c.name;
    EXPECT_EQ(outcome.err, "") << c.name;
  }
}

TEST_F(GetUserDnTest, DebugTraceOfAGroupWithoutPrimaryGroup) {
  Outcome outcome = Lookup("Sales", PrincipalKind::kGroup, /*debug=*/true);
  EXPECT_EQ(outcome.err,
            "Retrieving USERDN...\n"
            "Base: DC=corp,DC=example,DC=com\n"
            "SAMName: Sales\n"
            "1 entries returned\n"
            "DN: CN=Sales,DC=corp,DC=example,DC=com\n"
            "Primary Group ID: \n");
}

TEST_F(GetUserDnTest, NotFoundAndNotUniqueGiveAnEmptyDn) {
  struct Case {
    const char* name;
    PrincipalKind kind;
    const char* err;
  };
  const Case cases[] = {
      {"bob", PrincipalKind::kUser,
       "ERROR: Couldn't find SAMName bob in DC=corp,DC=example,DC=com\n"},
      // The person filter does not match computers.
      {"WS1$", PrincipalKind::kUser,
       "ERROR: Couldn't find SAMName WS1$ in DC=corp,DC=example,DC=com\n"},
      {"twin", PrincipalKind::kUser, "ERROR: SAMName twin is not unique!!!\n"},
      // Looked up literally: "a*" would otherwise match alice and ann.
      {"a*", PrincipalKind::kUser,
       "ERROR: Couldn't find SAMName a* in DC=corp,DC=example,DC=com\n"},
      {"alice)(x=*", PrincipalKind::kUser,
       "ERROR: Couldn't find SAMName alice)(x=* in DC=corp,DC=example,DC=com\n"},
  };
  for (const Case& c : cases) {
    Outcome outcome = Lookup(c.name, c.kind);
    EXPECT_EQ(outcome.account.dn, "") << c.name;
    EXPECT_EQ(outcome.err, c.err) << c.name;
  }
}

TEST_F(GetUserDnTest, AFailedSearchWritesTheSearchFailureLines) {
  forest_.FailSearch(testing::kCorpDc1Host, std::nullopt, testing::kCorpDomainDn,
                     platform::kLdapServerDown);
  Outcome outcome = Lookup("alice", PrincipalKind::kUser);
  EXPECT_EQ(outcome.account.dn, "");
  EXPECT_EQ(outcome.err, "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: Can't contact LDAP server\n\n");
}

}  // namespace
}  // namespace nestwalk
