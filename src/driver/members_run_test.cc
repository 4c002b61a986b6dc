// Whole runs of the reverse question (-members) against fake forests: nesting across domains,
// a cycle, primary-group members, ranged member values, a size limit that turns a search into a
// paged one, foreign principals of a trusted forest, a well-known and an unresolved SID, a
// domain that cannot be bound, and the group that is not there or is no group.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "membership/membership_fixture.h"
#include "platform/sid.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

constexpr char kAlpha[] = "DC=alpha,DC=test";
constexpr char kBeta[] = "DC=beta,DC=test";
constexpr char kAlphaSid[] = "S-1-5-21-10-10-10";
constexpr char kGlobal[] = "-2147483646";
constexpr char kDomainLocal[] = "-2147483644";

// The three-domain forest with foreign principals in DL-Other: three well-known ones, and a SID
// that no trust claims.
void BuildThreeDomains(fake::FakeForest& forest) {
  Forest::Build(forest, /*otherIsGc=*/true);
  for (const char* principal :
       {"CN=S-1-1-0,CN=ForeignSecurityPrincipals,DC=other,DC=test",
        "CN=S-1-5-4,CN=ForeignSecurityPrincipals,DC=other,DC=test",
        "CN=S-1-5-11,CN=ForeignSecurityPrincipals,DC=other,DC=test",
        "CN=S-1-5-21-99-99-99-1105,CN=ForeignSecurityPrincipals,DC=other,DC=test"}) {
    forest.AddEntry(principal, {{"objectClass", {"top", "foreignSecurityPrincipal"}}});
    forest.AddValue(Forest::kDlOther, "member", principal);
  }
}

const std::string kDlOtherMembers =
    "Members of [Local Security] OTHER\\DL-Other CN=DL-Other,DC=other,DC=test\n"
    "  [USER] EMEA\\alice CN=Alice,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
    "      via: alice -> Staff -> U-Other -> DL-Other\n"
    "  [GROUP] [Global Security] EMEA\\All CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
    "      via: All -> Staff -> U-Other -> DL-Other\n"
    "  [FOREIGN] Everyone CN=S-1-1-0,CN=ForeignSecurityPrincipals,DC=other,DC=test\n"
    "      via: Everyone -> DL-Other\n"
    "  [FOREIGN] NT AUTHORITY\\Authenticated Users "
    "CN=S-1-5-11,CN=ForeignSecurityPrincipals,DC=other,DC=test\n"
    "      via: NT AUTHORITY\\Authenticated Users -> DL-Other\n"
    "  [FOREIGN] S-1-5-21-99-99-99-1105 "
    "CN=S-1-5-21-99-99-99-1105,CN=ForeignSecurityPrincipals,DC=other,DC=test\n"
    "      via: S-1-5-21-99-99-99-1105 -> DL-Other\n"
    "  [FOREIGN] NT AUTHORITY\\INTERACTIVE "
    "CN=S-1-5-4,CN=ForeignSecurityPrincipals,DC=other,DC=test\n"
    "      via: NT AUTHORITY\\INTERACTIVE -> DL-Other\n"
    "  [GROUP] [Global Security] EMEA\\Staff CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
    "      via: Staff -> U-Other -> DL-Other\n"
    "  [GROUP] [Universal Security] OTHER\\U-Other CN=U-Other,DC=other,DC=test\n"
    "      via: U-Other -> DL-Other\n"
    "Members: 8 (users 1, computers 0, groups 3, foreign 4, other 0)\n";

// Read one at a time or ahead (-fast), member values whole or four a piece (ranged).
TEST(MembersRunTest, NestingAcrossDomainsACycleAndForeignPrincipals) {
  for (const auto& [pace, range] :
       {std::pair{"-d", 0}, std::pair{"-fast", 0}, std::pair{"-d", 4}}) {
    SCOPED_TRACE(std::string(pace) + " " + std::to_string(range));
    fake::FakeForest forest;
    BuildThreeDomains(forest);
    forest.SetMaxValueRange(range);
    const testing::RunOutcome run =
        testing::RunNestwalk(forest, {"-q", pace, "-path", "-members", "OTHER\\DL-Other"});
    ASSERT_NE(run.out.find("Members of"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.substr(run.out.find("Members of")), kDlOtherMembers);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(forest.HandleMisuseCount(), 0);
  }
}

// Primary-group members are in no member value; a size limit makes the search paged; a group
// named by its DN is found the same.
TEST(MembersRunTest, PrimaryGroupMembersAndAPagedSearch) {
  for (const char* named : {"EMEA\\Domain Users", Forest::kDomainUsers}) {
    fake::FakeForest forest;
    Forest::Build(forest, /*otherIsGc=*/false);
    for (int i = 0; i < 5; ++i) {
      forest.AddUser("CN=u" + std::to_string(i) + ",OU=Staff,DC=emea,DC=corp,DC=example,DC=com",
                     "u" + std::to_string(i), "513");
    }
    forest.SetSizeLimit(2);
    const testing::RunOutcome run =
        testing::RunNestwalk(forest, {"-q", "-path", "-members", named});
    EXPECT_EQ(run.out,
              "Members of [Global Security] EMEA\\Domain Users "
              "CN=Domain Users,CN=Users,DC=emea,DC=corp,DC=example,DC=com\n"
              "  [USER] EMEA\\alice CN=Alice,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: alice =primary=> Domain Users\n"
              "  [USER] EMEA\\u0 CN=u0,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: u0 =primary=> Domain Users\n"
              "  [USER] EMEA\\u1 CN=u1,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: u1 =primary=> Domain Users\n"
              "  [USER] EMEA\\u2 CN=u2,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: u2 =primary=> Domain Users\n"
              "  [USER] EMEA\\u3 CN=u3,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: u3 =primary=> Domain Users\n"
              "  [USER] EMEA\\u4 CN=u4,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
              "      via: u4 =primary=> Domain Users\n"
              "Members: 6 (users 6, computers 0, groups 0, foreign 0, other 0)\n")
        << named;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
  }
}

// ALPHA, and BETA, which trusts it: Beta Outer holds Beta Readers, which holds alice of ALPHA
// and Alpha Staff through their foreign security principals. Unless `principalsShowMemberOf`,
// the principals show the caller no memberOf (as Samba shows them to an account of the trusted
// forest), so that a search by memberOf does not find them.
void BuildTrustingForests(fake::FakeForest& forest, bool principalsShowMemberOf = true) {
  forest.AddDomain({.dn = kAlpha, .flatName = "ALPHA", .sid = kAlphaSid});
  forest.AddServer(
      {.host = "dc1.alpha.test", .domainDn = kAlpha, .site = "Default", .globalCatalog = true});
  forest.AddUser("CN=alice,CN=Users,DC=alpha,DC=test", "alice", "513", 1101);
  forest.AddGroup("CN=Alpha Staff,CN=Users,DC=alpha,DC=test", "Alpha Staff", kGlobal,
                  {"CN=alice,CN=Users,DC=alpha,DC=test"}, 1102);
  forest.BeginForest();
  forest.AddDomain({.dn = kBeta, .flatName = "BETA", .sid = "S-1-5-21-20-20-20"});
  forest.AddServer(
      {.host = "dc1.beta.test", .domainDn = kBeta, .site = "Default", .globalCatalog = true});
  forest.AddEntry("CN=alpha.test,CN=System,DC=beta,DC=test",
                  {{"objectClass", {"top", "leaf", "trustedDomain"}},
                   {"flatName", {"ALPHA"}},
                   {"trustPartner", {"alpha.test"}},
                   {"trustDirection", {"3"}},
                   {"trustType", {"2"}},
                   {"securityIdentifier", {*platform::SidFromText(kAlphaSid)}}});
  std::vector<std::string> principals;
  for (const char* rid : {"-1101", "-1102"}) {
    principals.push_back("CN=" + std::string(kAlphaSid) + rid +
                         ",CN=ForeignSecurityPrincipals,DC=beta,DC=test");
    std::vector<platform::Attribute> attributes{
        {"objectClass", {"top", "foreignSecurityPrincipal"}}};
    if (!principalsShowMemberOf) attributes.push_back({"memberOf", {}});
    forest.AddEntry(principals.back(), std::move(attributes));
  }
  forest.AddGroup("CN=Beta Readers,CN=Users,DC=beta,DC=test", "Beta Readers", kDomainLocal,
                  principals);
  forest.AddGroup("CN=Beta Outer,CN=Users,DC=beta,DC=test", "Beta Outer", kDomainLocal,
                  {"CN=Beta Readers,CN=Users,DC=beta,DC=test"});
}

TEST(MembersRunTest, ForeignPrincipalsOfATrustedForestAreTheirAccountsThere) {
  for (const bool principalsShowMemberOf : {true, false}) {
    SCOPED_TRACE(principalsShowMemberOf ? "memberOf shown" : "memberOf hidden");
    fake::FakeForest forest;
    BuildTrustingForests(forest, principalsShowMemberOf);
    const testing::RunOutcome run =
        testing::RunNestwalk(forest, {"-q", "-path", "-members", "BETA\\Beta Outer"});
    EXPECT_EQ(
        run.out,
        "Members of [Local Security] BETA\\Beta Outer CN=Beta Outer,CN=Users,DC=beta,DC=test\n"
        "  [USER] ALPHA\\alice CN=alice,CN=Users,DC=alpha,DC=test\n"
        "      via: alice =foreign=> Beta Readers -> Beta Outer\n"
        "  [GROUP] [Global Security] ALPHA\\Alpha Staff CN=Alpha Staff,CN=Users,DC=alpha,DC=test\n"
        "      via: Alpha Staff =foreign=> Beta Readers -> Beta Outer\n"
        "  [GROUP] [Local Security] BETA\\Beta Readers CN=Beta Readers,CN=Users,DC=beta,DC=test\n"
        "      via: Beta Readers -> Beta Outer\n"
        "Members: 3 (users 1, computers 0, groups 2, foreign 0, other 0)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
  }

  fake::FakeForest json;
  BuildTrustingForests(json);
  const nlohmann::json document = nlohmann::json::parse(
      testing::RunNestwalk(json, {"-q", "-json", "-members", "BETA\\Beta Outer"}).out);
  EXPECT_EQ(document["count"], 3);
  EXPECT_EQ(document["complete"], true);
  EXPECT_EQ(document["members"][0]["forest"], "alpha.test");
  EXPECT_EQ(document["members"][0]["hops"], nlohmann::json({"=foreign=>", "->"}));
  const std::string path = ::testing::TempDir() + "/members.json";
  std::ofstream(path, std::ios::binary) << document.dump();
  EXPECT_EQ(std::system((std::string("python3 ") + NESTWALK_SCHEMA_CHECK + " " +
                         NESTWALK_MEMBERS_SCHEMA + " " + path)
                            .c_str()),
            0);
}

// A member value whose entry the caller cannot see (here: there is none) is not left out in
// silence: the list says it may be incomplete.
TEST(MembersRunTest, AMemberThatCannotBeReadMakesTheListIncomplete) {
  const std::string hidden = "CN=Hidden,CN=Users,DC=beta,DC=test";
  fake::FakeForest forest;
  BuildTrustingForests(forest);
  forest.AddValue("CN=Beta Outer,CN=Users,DC=beta,DC=test", "member", hidden);
  const testing::RunOutcome run =
      testing::RunNestwalk(forest, {"-q", "-members", "BETA\\Beta Outer"});
  EXPECT_NE(run.out.find("Members: 3 "), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "WARNING: 1 read fell short; the list of members may be incomplete\n");
  EXPECT_EQ(run.status, 0);

  fake::FakeForest json;
  BuildTrustingForests(json);
  json.AddValue("CN=Beta Outer,CN=Users,DC=beta,DC=test", "member", hidden);
  const nlohmann::json document = nlohmann::json::parse(
      testing::RunNestwalk(json, {"-q", "-json", "-members", "BETA\\Beta Outer"}).out);
  EXPECT_EQ(document["complete"], false);
  EXPECT_EQ(document["unread"],
            nlohmann::json::parse(R"([{"subject": "CN=Hidden,CN=Users,DC=beta,DC=test",
                                       "reason": "it is named as a member but could not be read"}])"));
}

TEST(MembersRunTest, ADomainThatCannotBeBoundIsNamedAndCounted) {
  fake::FakeForest forest;
  BuildThreeDomains(forest);
  forest.FailBind(Forest::kDc2, std::nullopt, platform::kLdapInvalidCredentials);
  const testing::RunOutcome run =
      testing::RunNestwalk(forest, {"-q", "-csv", "-members", "OTHER\\DL-Other"});
  EXPECT_EQ(run.out,
            "group,groupDn,member,memberDn,memberKind,scope,kind\r\n"
            "OTHER\\DL-Other,\"CN=DL-Other,DC=other,DC=test\",Everyone,"
            "\"CN=S-1-1-0,CN=ForeignSecurityPrincipals,DC=other,DC=test\",foreign,,\r\n"
            "OTHER\\DL-Other,\"CN=DL-Other,DC=other,DC=test\",NT AUTHORITY\\Authenticated Users,"
            "\"CN=S-1-5-11,CN=ForeignSecurityPrincipals,DC=other,DC=test\",foreign,,\r\n"
            "OTHER\\DL-Other,\"CN=DL-Other,DC=other,DC=test\",S-1-5-21-99-99-99-1105,"
            "\"CN=S-1-5-21-99-99-99-1105,CN=ForeignSecurityPrincipals,DC=other,DC=test\","
            "foreign,,\r\n"
            "OTHER\\DL-Other,\"CN=DL-Other,DC=other,DC=test\",NT AUTHORITY\\INTERACTIVE,"
            "\"CN=S-1-5-4,CN=ForeignSecurityPrincipals,DC=other,DC=test\",foreign,,\r\n"
            "OTHER\\DL-Other,\"CN=DL-Other,DC=other,DC=test\",OTHER\\U-Other,"
            "\"CN=U-Other,DC=other,DC=test\",group,Universal,Security\r\n");
  EXPECT_NE(run.err.find("WARNING: 1 read fell short; the list of members may be incomplete\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.status, 0);
}

TEST(MembersRunTest, AGroupThatIsNotThereOrNoGroupEndsWith255) {
  const std::pair<const char*, const char*> cases[] = {
      {"EMEA\\Nobody", "ERROR: Couldn't find group EMEA\\Nobody\n"},
      {Forest::kAlice,
       "ERROR: CN=Alice,OU=Staff,DC=emea,DC=corp,DC=example,DC=com is not a group\n"},
      {"Staff", "Error: -members needs domain\\group or a group's DN: Staff\n"},
  };
  for (const auto& [named, error] : cases) {
    fake::FakeForest forest;
    Forest::Build(forest, /*otherIsGc=*/true);
    const testing::RunOutcome run = testing::RunNestwalk(forest, {"-q", "-members", named});
    EXPECT_EQ(run.err, error);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, -1);
  }
}

// A cycle back to the group makes it a member of itself, as the directory's in-chain rule says.
TEST(MembersRunTest, ACycleBackToTheGroupListsItOnce) {
  fake::FakeForest forest;
  Forest::Build(forest, /*otherIsGc=*/true);
  const testing::RunOutcome run =
      testing::RunNestwalk(forest, {"-q", "-path", "-members", "EMEA\\Staff"});
  EXPECT_EQ(
      run.out,
      "Members of [Global Security] EMEA\\Staff "
      "CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
      "  [USER] EMEA\\alice CN=Alice,OU=Staff,DC=emea,DC=corp,DC=example,DC=com\n"
      "      via: alice -> Staff\n"
      "  [GROUP] [Global Security] EMEA\\All CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
      "      via: All -> Staff\n"
      "  [GROUP] [Global Security] EMEA\\Staff "
      "CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com\n"
      "      via: Staff -> All -> Staff\n"
      "Members: 3 (users 1, computers 0, groups 2, foreign 0, other 0)\n");
  EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace nestwalk
