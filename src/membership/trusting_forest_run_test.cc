// Whole runs with -complete against two forests joined by a forest trust: the domain-local groups
// of the trusting forest that hold the account or its groups through their foreign security
// principals, and the faults of reaching that forest.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

constexpr char kAlpha[] = "DC=alpha,DC=test";
constexpr char kBeta[] = "DC=beta,DC=test";
constexpr char kDcAlpha[] = "dc1.alpha.test";
constexpr char kDcBeta[] = "dc1.beta.test";
constexpr char kAlphaSid[] = "S-1-5-21-10-10-10";
constexpr char kBetaSid[] = "S-1-5-21-20-20-20";
constexpr char kAlice[] = "CN=alice,CN=Users,DC=alpha,DC=test";
constexpr char kStaff[] = "CN=Alpha Staff,CN=Users,DC=alpha,DC=test";
constexpr char kAll[] = "CN=Alpha All,CN=Users,DC=alpha,DC=test";
constexpr char kGlobal[] = "-2147483646";
constexpr char kDomainLocal[] = "-2147483644";
constexpr char kUniversal[] = "-2147483640";

std::string ForeignPrincipal(const std::string& sid) {
  return "CN=" + sid + ",CN=ForeignSecurityPrincipals," + kBeta;
}

// ALPHA, with alice in Alpha Staff (global) in Alpha All (universal), and BETA, a forest that
// trusts ALPHA both ways: Beta Readers holds alice and Alpha Staff, Beta Outer holds Beta
// Readers, Beta Universal Holders holds Alpha All; Beta Others holds nobody of the walk.
void BuildForests(fake::FakeForest& forest) {
  forest.AddDomain({.dn = kAlpha, .flatName = "ALPHA", .sid = kAlphaSid});
  forest.AddServer(
      {.host = kDcAlpha, .domainDn = kAlpha, .site = "Default", .globalCatalog = true});
  forest.AddUser(kAlice, "alice", "513", 1101);
  forest.AddGroup("CN=Domain Users,CN=Users,DC=alpha,DC=test", "Domain Users", kGlobal, {}, 513);
  forest.AddGroup(kStaff, "Alpha Staff", kGlobal, {kAlice}, 1102);
  forest.AddGroup(kAll, "Alpha All", kUniversal, {kStaff}, 1103);
  forest.AddEntry("CN=beta.test,CN=System,DC=alpha,DC=test",
                  {{"objectClass", {"top", "leaf", "trustedDomain"}},
                   {"flatName", {"BETA"}},
                   {"trustPartner", {"beta.test"}},
                   {"trustDirection", {"3"}},
                   {"trustType", {"2"}},
                   {"trustAttributes", {"8"}}});

  forest.BeginForest();
  forest.AddDomain({.dn = kBeta, .flatName = "BETA", .sid = kBetaSid});
  forest.AddServer({.host = kDcBeta, .domainDn = kBeta, .site = "Default", .globalCatalog = true});
  const std::string alice = ForeignPrincipal(std::string(kAlphaSid) + "-1101");
  const std::string staff = ForeignPrincipal(std::string(kAlphaSid) + "-1102");
  const std::string all = ForeignPrincipal(std::string(kAlphaSid) + "-1103");
  for (const std::string& principal : {alice, staff, all}) {
    forest.AddEntry(principal, {{"objectClass", {"top", "foreignSecurityPrincipal"}}});
  }
  forest.AddGroup("CN=Beta Readers,CN=Users,DC=beta,DC=test", "Beta Readers", kDomainLocal,
                  {alice, staff});
  forest.AddGroup("CN=Beta Outer,CN=Users,DC=beta,DC=test", "Beta Outer", kDomainLocal,
                  {"CN=Beta Readers,CN=Users,DC=beta,DC=test"});
  forest.AddGroup("CN=Beta Universal Holders,CN=Users,DC=beta,DC=test", "Beta Universal Holders",
                  kDomainLocal, {all});
  forest.AddUser("CN=bob,CN=Users,DC=beta,DC=test", "bob", "513", 1101);
  forest.AddGroup("CN=Beta Others,CN=Users,DC=beta,DC=test", "Beta Others", kDomainLocal,
                  {"CN=bob,CN=Users,DC=beta,DC=test"});
}

const std::string kAlphaReport =
    "Security Principal: [USER] ALPHA\\alice\n"
    "  [Universal Security] [Alpha All] CN=Alpha All,CN=Users,DC=alpha,DC=test\n"
    "  [Global Security] [Alpha Staff] CN=Alpha Staff,CN=Users,DC=alpha,DC=test\n"
    "  [Global Security] [Domain Users] CN=Domain Users,CN=Users,DC=alpha,DC=test\n";

// Searched one after another, all at once (-fast), or for many accounts (-in): the same report.
TEST(TrustingForestRunTest, TheGroupsOfATrustingForestThatHoldTheAccountOrItsGroups) {
  for (const std::vector<std::string>& how : std::vector<std::vector<std::string>>{
           {"-u", "ALPHA\\alice"}, {"-fast", "-u", "ALPHA\\alice"}, {"-in", "-"}}) {
    SCOPED_TRACE(how.front());
    fake::FakeForest forest;
    BuildForests(forest);
    std::vector<std::string> args = {"-q", "-complete", "-path"};
    args.insert(args.end(), how.begin(), how.end());
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, args, "ALPHA\\alice\n");
    EXPECT_EQ(outcome.out,
              "Security Principal: [USER] ALPHA\\alice\n"
              "  [Universal Security] [Alpha All] CN=Alpha All,CN=Users,DC=alpha,DC=test\n"
              "      via: alice -> Alpha Staff -> Alpha All\n"
              "  [Global Security] [Alpha Staff] CN=Alpha Staff,CN=Users,DC=alpha,DC=test\n"
              "      via: alice -> Alpha Staff\n"
              "  [Local Security] [Beta Outer] CN=Beta Outer,CN=Users,DC=beta,DC=test\n"
              "      via: alice =foreign=> Beta Readers -> Beta Outer\n"
              "  [Local Security] [Beta Readers] CN=Beta Readers,CN=Users,DC=beta,DC=test\n"
              "      via: alice =foreign=> Beta Readers\n"
              "  [Local Security] [Beta Universal Holders] CN=Beta Universal "
              "Holders,CN=Users,DC=beta,DC=test\n"
              "      via: alice -> Alpha Staff -> Alpha All =foreign=> Beta Universal Holders\n"
              "  [Global Security] [Domain Users] CN=Domain Users,CN=Users,DC=alpha,DC=test\n"
              "      via: alice =primary=> Domain Users\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.status, 0);
  }

  // Without -complete the run is the classic one: nothing of the trusting forest.
  fake::FakeForest classic;
  BuildForests(classic);
  EXPECT_EQ(testing::RunNestwalk(classic, {"-q", "-u", "ALPHA\\alice"}).out, kAlphaReport);
}

TEST(TrustingForestRunTest, TheGroupsOfATrustingForestCarryItInTheJsonReport) {
  fake::FakeForest forest;
  BuildForests(forest);
  const std::string out =
      testing::RunNestwalk(forest, {"-q", "-complete", "-json", "-u", "ALPHA\\alice"}).out;
  const std::string readers = "\"dn\": \"CN=Beta Readers,CN=Users,DC=beta,DC=test\"";
  ASSERT_NE(out.find(readers), std::string::npos) << out;
  const std::string group = out.substr(out.find(readers), out.find('}', out.find(readers)));
  EXPECT_NE(group.find("\"forest\": \"beta.test\""), std::string::npos) << group;
  const std::string staff = out.substr(out.find("\"dn\": \"CN=Alpha Staff"));
  EXPECT_EQ(staff.substr(0, staff.find('}')).find("\"forest\""), std::string::npos);
}

// Each fault gets its error line, is counted by the closing warning, and the run goes on with
// what the forest itself gives.
TEST(TrustingForestRunTest, ATrustingForestThatCannotBeReachedIsNamed) {
  using Fault = std::function<void(fake::FakeForest&)>;
  struct Case {
    const char* name;
    Fault fault;
    std::string err;
  };
  const Case cases[] = {
      {"its DC refuses the bind",
       [](fake::FakeForest& forest) {
         forest.FailBind(kDcBeta, 389, platform::kLdapInvalidCredentials);
       },
       "LDAP_BIND: [dc1.beta.test] Error 0x31 (49) - Invalid credentials\n"
       "ERROR: Couldn't search domain-local groups of beta.test: no domain controller could be "
       "bound\n"
       "WARNING: 1 read fell short; the list may be incomplete\n"},
      {"its search is refused",
       [](fake::FakeForest& forest) { forest.FailSearch(kDcBeta, 389, kBeta, 50); },
       "ERROR: Couldn't search domain-local groups of beta.test: the search failed: "
       "Insufficient access (50)\n"
       "WARNING: 1 read fell short; the list may be incomplete\n"},
      {"no DC of it can be located",
       [](fake::FakeForest& forest) {
         forest.SetLocatorAnswer("", "beta.test", false, {platform::kErrorNoSuchDomain, {}});
       },
       "DSGetDCName: No such domain - 1355\n"
       "ERROR: Couldn't list the domains of the trusting forest beta.test - 1355\n"
       "WARNING: 1 read fell short; the list may be incomplete\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FakeForest forest;
    BuildForests(forest);
    c.fault(forest);
    const testing::RunOutcome outcome =
        testing::RunNestwalk(forest, {"-q", "-complete", "-u", "ALPHA\\alice"});
    EXPECT_EQ(outcome.out, kAlphaReport);
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_EQ(outcome.status, 0);
  }
}

}  // namespace
}  // namespace nestwalk
