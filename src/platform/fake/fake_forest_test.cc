#include "platform/fake/fake_forest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sid.h"

namespace nestwalk::fake {
namespace {

constexpr char kRoot[] = "DC=corp,DC=example,DC=com";
constexpr char kEmea[] = "DC=emea,DC=corp,DC=example,DC=com";
constexpr char kDc1[] = "dc1.corp.example.com";       // root, GC, site Hub
constexpr char kDc2[] = "dc2.emea.corp.example.com";  // emea, no GC, site Branch
constexpr char kAlice[] = "CN=Alice,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kGEmea[] = "CN=G-Emea,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kDlEmea[] = "CN=DL-Emea,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kUEmea[] = "CN=U-Emea,DC=emea,DC=corp,DC=example,DC=com";
constexpr char kURoot[] = "CN=U-Root,DC=corp,DC=example,DC=com";
constexpr char kDlRoot[] = "CN=DL-Root,DC=corp,DC=example,DC=com";
constexpr char kGlobal[] = "-2147483646";
constexpr char kDomainLocal[] = "-2147483644";
constexpr char kUniversal[] = "-2147483640";

using Values = std::vector<std::string>;

// A subtree search for every attribute.
platform::SearchRequest Subtree(const std::string& base, const std::string& filter) {
  platform::SearchRequest request;
  request.base = base;
  request.scope = platform::SearchScope::kSubtree;
  request.filter = filter;
  return request;
}

class FakeForestTest : public ::testing::Test {
 protected:
  FakeForestTest() {
    forest_.AddDomain({kRoot, "CORP", "S-1-5-21-1-2-3"});
    forest_.AddDomain({kEmea, "EMEA", "S-1-5-21-4-5-6"});
    forest_.AddServer({kDc1, kRoot, "Hub", true});
    forest_.AddServer({kDc2, kEmea, "Branch", false});
    forest_.AddUser(kAlice, "alice", "513", 1104);
    forest_.AddGroup(kGEmea, "G-Emea", kGlobal, {kAlice});
    forest_.AddGroup(kDlEmea, "DL-Emea", kDomainLocal, {kAlice});
    forest_.AddGroup(kUEmea, "U-Emea", kUniversal, {kAlice});
    forest_.AddGroup(kURoot, "U-Root", kUniversal, {"cn=alice,dc=EMEA,dc=corp,dc=example,dc=com"});
    forest_.AddGroup(kDlRoot, "DL-Root", kDomainLocal, {kAlice});
  }

  platform::LdapHandle Bound(const std::string& host, int port) {
    platform::LdapHandle handle = forest_.Open(host, port, false).handle;
    EXPECT_EQ(forest_.NegotiateBind(handle, std::nullopt), 0) << host << ":" << port;
    return handle;
  }

  platform::SearchResult Read(platform::LdapHandle handle, const std::string& dn,
                              std::vector<std::string> attributes = {}) {
    return forest_.Search(handle, {.base = dn,
                                   .scope = platform::SearchScope::kBase,
                                   .filter = "(objectClass=*)",
                                   .attributes = std::move(attributes),
                                   .attributesOnly = false});
  }

  FakeForest forest_;
};

TEST_F(FakeForestTest, MemberOfIsTheBackLinkOfWhatEachViewHolds) {
  struct Case {
    const char* host;
    int port;
    Values memberOf;
  };
  const Case cases[] = {
      // A DC holds the groups of its own domain, whatever their scope.
      {kDc2, 389, {kGEmea, kDlEmea, kUEmea}},
      // A GC adds the universal groups of every domain, never the global or domain-local
      // groups of another domain.
      {kDc1, 3268, {kUEmea, kURoot, kDlRoot}},
  };
  for (const Case& c : cases) {
    platform::SearchResult result = Read(Bound(c.host, c.port), kAlice, {"memberOf"});
    ASSERT_EQ(result.code, 0) << c.host;
    ASSERT_EQ(result.entries.size(), 1u) << c.host;
    EXPECT_EQ(result.entries[0].dn, kAlice);
    ASSERT_EQ(result.entries[0].attributes.size(), 1u) << c.host;
    EXPECT_EQ(result.entries[0].attributes[0].name, "memberOf");
    EXPECT_EQ(result.entries[0].attributes[0].values, c.memberOf) << c.host << ":" << c.port;
  }
  // A DC of another domain does not show the account: it refers the search there.
  EXPECT_EQ(Read(Bound(kDc1, 389), kAlice).code, 10);
  EXPECT_EQ(Read(Bound(kDc2, 389), "CN=Nobody,DC=emea,DC=corp,DC=example,DC=com").code,
            platform::kLdapNoSuchObject);
  EXPECT_EQ(Read(Bound(kDc2, 389), "CN=Nobody,DC=elsewhere,DC=test").code,
            platform::kLdapNoSuchObject);
}

TEST_F(FakeForestTest, AGcShowsGroupsOfOtherDomainsWithoutMembersItDoesNotHold) {
  platform::LdapHandle gc = Bound(kDc1, 3268);
  struct Case {
    const char* dn;
    bool hasMembers;
  };
  for (Case c :
       {Case{kGEmea, false}, Case{kDlEmea, false}, Case{kUEmea, true}, Case{kDlRoot, true}}) {
    platform::SearchResult result = Read(gc, c.dn);
    ASSERT_EQ(result.entries.size(), 1u) << c.dn;
    EXPECT_EQ(result.entries[0].Find("member") != nullptr, c.hasMembers) << c.dn;
    EXPECT_EQ(result.entries[0].First("objectCategory"), "group") << c.dn;
  }
  platform::SearchResult members =
      forest_.Search(gc, {.base = kEmea,
                          .scope = platform::SearchScope::kSubtree,
                          .filter = std::string("(member=") + kAlice + ")",
                          .attributes = {"cn"},
                          .attributesOnly = true});
  ASSERT_EQ(members.entries.size(), 1u);
  EXPECT_EQ(members.entries[0].dn, kUEmea);
}

TEST_F(FakeForestTest, OwnMemberOfValuesReplaceTheBackLinkOnEveryView) {
  forest_.AddValue(kAlice, "memberOf", "CN=Given,DC=emea,DC=corp,DC=example,DC=com");
  for (auto [host, port] : {std::pair{kDc2, 389}, std::pair{kDc1, 3268}}) {
    platform::SearchResult result = Read(Bound(host, port), kAlice, {"memberOf"});
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_EQ(*result.entries[0].Find("memberOf"),
              Values{"CN=Given,DC=emea,DC=corp,DC=example,DC=com"});
  }
}

TEST_F(FakeForestTest, ChangesAfterASearchShowInTheNextOne) {
  platform::LdapHandle dc2 = Bound(kDc2, 389);
  ASSERT_EQ(Read(dc2, kGEmea, {"memberOf"}).entries[0].Find("memberOf"), nullptr);

  forest_.AddValue(kDlEmea, "member", kGEmea);
  EXPECT_EQ(*Read(dc2, kGEmea, {"memberOf"}).entries[0].Find("memberOf"), Values{kDlEmea});

  // Replacing an entry drops its old values and keeps its place.
  forest_.AddGroup(kDlEmea, "DL-Emea", kDomainLocal, {});
  EXPECT_EQ(Read(dc2, kGEmea, {"memberOf"}).entries[0].Find("memberOf"), nullptr);
  EXPECT_EQ(*Read(dc2, kAlice, {"memberOf"}).entries[0].Find("memberOf"), (Values{kGEmea, kUEmea}));

  // An entry belongs to the domain that holds it at search time: first the root, then the
  // child domain added after it.
  const std::string carol = "CN=Carol,DC=apac,DC=corp,DC=example,DC=com";
  forest_.AddUser(carol, "carol", "513");
  platform::LdapHandle rootDc = Bound(kDc1, 389);
  EXPECT_EQ(Read(rootDc, carol).entries.size(), 1u);
  forest_.AddDomain({"DC=apac,DC=corp,DC=example,DC=com", "APAC", "S-1-5-21-7-8-9"});
  EXPECT_EQ(Read(rootDc, carol).code, 10);
  EXPECT_EQ(Read(Bound(kDc1, 3268), carol).entries.size(), 1u);
  EXPECT_THROW(forest_.AddValue("CN=Nobody,DC=corp,DC=example,DC=com", "cn", "x"),
               std::invalid_argument);
}

TEST_F(FakeForestTest, SubtreeSearchesStayInTheirNamingContextAndKeepTheAddedOrder) {
  platform::LdapHandle dc1 = Bound(kDc1, 389);
  auto dns = [&](const std::string& base, const std::string& filter) {
    platform::SearchResult result = forest_.Search(dc1, Subtree(base, filter));
    Values found;
    for (const platform::Entry& entry : result.entries) found.push_back(entry.dn);
    return found;
  };
  // The configuration partition lies below the root domain's DN but is not part of it.
  EXPECT_EQ(dns(kRoot, "(objectClass=*)"), (Values{kRoot, kURoot, kDlRoot}));
  EXPECT_EQ(dns("CN=Configuration,DC=corp,DC=example,DC=com", "(objectCategory=crossRef)"),
            (Values{"CN=CORP,CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com",
                    "CN=EMEA,CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com"}));
  EXPECT_EQ(dns("CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com",
                "(&(objectCategory=crossRef)(nETBIOSName=emea))"),
            (Values{"CN=EMEA,CN=Partitions,CN=Configuration,DC=corp,DC=example,DC=com"}));
  platform::SearchResult missing =
      forest_.Search(dc1, Subtree("OU=Nowhere,DC=corp,DC=example,DC=com", "(objectClass=*)"));
  EXPECT_EQ(missing.code, platform::kLdapNoSuchObject);
  EXPECT_EQ(forest_.Search(dc1, Subtree(kRoot, "(cn=x")).code, -7);

  // Lookups by name, as an account's lookup makes them: case ignored, an entry added after the
  // first lookup found, a base below the domain with no entry of its own still there.
  const std::string lookup = "(&(objectClass=group)(sAMAccountName=%))";
  auto named = [&](std::string name) {
    std::string filter = lookup;
    return filter.replace(filter.find('%'), 1, name);
  };
  EXPECT_EQ(dns(kRoot, named("u-ROOT")), Values{kURoot});
  EXPECT_EQ(dns(kRoot, named("nobody")), Values{});
  const std::string later = "CN=Later,OU=Groups,DC=corp,DC=example,DC=com";
  forest_.AddGroup(later, "Later", kGlobal, {});
  EXPECT_EQ(dns(kRoot, named("later")), Values{later});
  platform::SearchResult under =
      forest_.Search(dc1, Subtree("OU=Groups,DC=corp,DC=example,DC=com", named("u-root")));
  EXPECT_EQ(under.code, platform::kLdapSuccess);
  EXPECT_TRUE(under.entries.empty());
  EXPECT_EQ(forest_.Search(dc1, Subtree("OU=Nowhere,DC=corp,DC=example,DC=com", named("later")))
                .code,
            platform::kLdapNoSuchObject);
}

TEST_F(FakeForestTest, BuildersGiveObjectSidsOfTheirDomain) {
  platform::LdapHandle dc2 = Bound(kDc2, 389);
  platform::SearchResult domain = Read(dc2, kEmea, {"objectSid"});
  ASSERT_EQ(domain.entries.size(), 1u);
  EXPECT_EQ(platform::SidToText(*domain.entries[0].First("objectSid")), "S-1-5-21-4-5-6");
  platform::SearchResult alice = Read(dc2, kAlice, {"objectSid", "primaryGroupID"});
  ASSERT_EQ(alice.entries.size(), 1u);
  EXPECT_EQ(platform::SidToText(*alice.entries[0].First("objectSid")), "S-1-5-21-4-5-6-1104");
  EXPECT_EQ(alice.entries[0].First("primaryGroupID"), "513");
  EXPECT_EQ(Read(dc2, kGEmea, {"objectSid"}).entries[0].Find("objectSid"), nullptr);
}

TEST_F(FakeForestTest, RootDseDescribesTheServerAndNeedsNoBind) {
  platform::LdapHandle unbound = forest_.Open(kDc2, 389, false).handle;
  platform::SearchResult result = Read(unbound, "");
  ASSERT_EQ(result.code, 0);
  ASSERT_EQ(result.entries.size(), 1u);
  const platform::Entry& dse = result.entries[0];
  EXPECT_EQ(dse.First("defaultNamingContext"), kEmea);
  EXPECT_EQ(dse.First("rootDomainNamingContext"), kRoot);
  EXPECT_EQ(dse.First("configurationNamingContext"), "CN=Configuration,DC=corp,DC=example,DC=com");
  EXPECT_EQ(dse.First("schemaNamingContext"),
            "CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com");
  EXPECT_EQ(*dse.Find("namingContexts"),
            (Values{kEmea, "CN=Configuration,DC=corp,DC=example,DC=com",
                    "CN=Schema,CN=Configuration,DC=corp,DC=example,DC=com"}));
  EXPECT_EQ(dse.First("dnsHostName"), kDc2);
  EXPECT_EQ(dse.First("serverName"),
            "CN=DC2,CN=Servers,CN=Branch,CN=Sites,CN=Configuration,DC=corp,DC=example,DC=com");
  EXPECT_EQ(dse.First("dsServiceName"),
            "CN=NTDS Settings,CN=DC2,CN=Servers,CN=Branch,CN=Sites,CN=Configuration,DC=corp,DC="
            "example,DC=com");
  EXPECT_EQ(
      *dse.Find("supportedCapabilities"),
      (Values{"1.2.840.113556.1.4.800", "1.2.840.113556.1.4.1670", "1.2.840.113556.1.4.1791"}));
  EXPECT_EQ(dse.First("domainFunctionality"), "4");
  EXPECT_EQ(dse.First("forestFunctionality"), "4");
  EXPECT_TRUE(dse.First("currentTime").has_value());
  EXPECT_TRUE(dse.First("highestCommittedUsn").has_value());

  // Anything else wants a bind first.
  EXPECT_EQ(Read(unbound, kAlice).code, 1);
  EXPECT_TRUE(forest_.ServerErrorText(unbound).has_value());

  forest_.SetRootDse(kDc2, {{"defaultNamingContext", {"DC=other"}}});
  platform::SearchResult replaced = Read(unbound, "");
  ASSERT_EQ(replaced.entries.size(), 1u);
  ASSERT_EQ(replaced.entries[0].attributes.size(), 1u);
  EXPECT_EQ(replaced.entries[0].First("defaultNamingContext"), "DC=other");
}

TEST_F(FakeForestTest, BindsReachOnlyKnownServersAndTheirPorts) {
  struct Case {
    std::string host;
    int port;
    int code;
  };
  const Case cases[] = {
      {kDc1, 389, 0},
      {kDc1, 3268, 0},
      {kDc1, 636, 0},
      {kDc2, 389, 0},
      {kDc2, 3268, -1},  // no GC
      {kDc1, 1234, -1},
      {"DC1.CORP.EXAMPLE.COM", 389, 0},
      {"nowhere.example.com", 389, -1},
  };
  for (const Case& c : cases) {
    platform::OpenResult opened = forest_.Open(c.host, c.port, false);
    ASSERT_TRUE(opened.handle.valid()) << c.host;
    EXPECT_EQ(forest_.NegotiateBind(opened.handle, std::nullopt), c.code)
        << c.host << ":" << c.port;
    EXPECT_EQ(forest_.connection(opened.handle).bound, c.code == 0) << c.host;
  }
  EXPECT_EQ(forest_.ErrorText(-1), "Can't contact LDAP server");
}

TEST_F(FakeForestTest, InjectedFailuresHitOnlyTheirTarget) {
  forest_.FailOpen("gone.example.com", -11);
  forest_.FailBind(kDc1, 3268, 49, "80090308: LdapErr: DSID-0C09056B");
  forest_.FailSearch(kDc2, std::nullopt, "DC=EMEA,DC=corp,DC=example,DC=com", 50);
  forest_.FailOption(kDc2, platform::LdapOption::kEncryption, 53);

  platform::OpenResult gone = forest_.Open("gone.example.com", 389, false);
  EXPECT_FALSE(gone.handle.valid());
  EXPECT_EQ(gone.error, -11);

  platform::LdapHandle gc = forest_.Open(kDc1, 3268, false).handle;
  EXPECT_EQ(forest_.NegotiateBind(gc, platform::ExplicitCredentials{"bob", "CORP", "pw"}), 49);
  EXPECT_EQ(forest_.ServerErrorText(gc), "80090308: LdapErr: DSID-0C09056B");
  EXPECT_EQ(forest_.connection(gc).credentials->user, "bob");
  EXPECT_EQ(forest_.NegotiateBind(Bound(kDc1, 389), std::nullopt), 0);

  platform::LdapHandle dc2 = Bound(kDc2, 389);
  EXPECT_EQ(forest_.SetOption(dc2, platform::LdapOption::kProtocolVersion, 3), 0);
  EXPECT_EQ(forest_.SetOption(dc2, platform::LdapOption::kEncryption, 1), 53);
  EXPECT_EQ(forest_.connection(dc2).options, (Values{"version=3", "encryption=1"}));
  EXPECT_EQ(Read(dc2, kEmea).code, 50);
  EXPECT_EQ(Read(dc2, kAlice).code, 0);
  EXPECT_EQ(forest_.SearchCount(kDc2, 389, kEmea), 1);
  EXPECT_EQ(forest_.SearchCount(kDc2, 3268, kEmea), 0);
}

TEST_F(FakeForestTest, PagedSearchesDeliverPagesInOrderThenEnd) {
  for (int i = 0; i < 5; ++i) {
    forest_.AddEntry("CN=S" + std::to_string(i) + ",CN=Sites,CN=Configuration," + kRoot,
                     {{"objectCategory", {"server"}}});
  }
  const platform::SearchRequest request =
      Subtree(std::string("CN=Sites,CN=Configuration,") + kRoot, "(objectCategory=server)");
  struct Case {
    int asked;
    int maxPageSize;
    std::vector<std::size_t> pages;
  };
  for (Case c : {Case{1000, 0, {5}}, Case{2, 0, {2, 2, 1}}, Case{1000, 2, {2, 2, 1}},
                 Case{5, 0, {5}}, Case{1, 3, {1, 1, 1, 1, 1}}}) {
    forest_.SetMaxPageSize(c.maxPageSize);
    std::unique_ptr<platform::PagedSearch> search =
        forest_.StartPagedSearch(Bound(kDc1, 389), request, c.asked);
    ASSERT_NE(search, nullptr);
    std::vector<std::size_t> sizes;
    std::vector<platform::Entry> page;
    Values dns;
    while (search->NextPage(page) == 0) {
      sizes.push_back(page.size());
      for (const platform::Entry& entry : page) dns.push_back(entry.dn.substr(0, 5));
      ASSERT_LE(sizes.size(), 5u);
    }
    EXPECT_EQ(sizes, c.pages) << c.asked << " " << c.maxPageSize;
    EXPECT_EQ(dns, (Values{"CN=S0", "CN=S1", "CN=S2", "CN=S3", "CN=S4"}));
    EXPECT_EQ(search->NextPage(page), platform::kLdapNoResultsReturned);
  }
  EXPECT_TRUE(forest_.searches().back().paged);
  EXPECT_EQ(forest_.searches().back().pageSize, 1);
}

TEST_F(FakeForestTest, PagedSearchFailuresAndEmptyResults) {
  const platform::SearchRequest none = Subtree(kRoot, "(objectCategory=sitelink)");
  std::vector<platform::Entry> page{platform::Entry{"stale", {}}};
  std::unique_ptr<platform::PagedSearch> empty =
      forest_.StartPagedSearch(Bound(kDc1, 389), none, 1000);
  EXPECT_EQ(empty->NextPage(page), 0);
  EXPECT_TRUE(page.empty());
  EXPECT_EQ(empty->NextPage(page), platform::kLdapNoResultsReturned);

  const platform::SearchRequest groups = Subtree(kRoot, "(objectCategory=group)");
  forest_.FailPagedSearchAfter(1, platform::kLdapServerDown);
  std::unique_ptr<platform::PagedSearch> failing =
      forest_.StartPagedSearch(Bound(kDc1, 389), groups, 1);
  EXPECT_EQ(failing->NextPage(page), 0);
  EXPECT_EQ(page.size(), 1u);
  EXPECT_EQ(failing->NextPage(page), platform::kLdapServerDown);

  forest_.FailPagedSearchStart();
  EXPECT_EQ(forest_.StartPagedSearch(Bound(kDc1, 389), groups, 1000), nullptr);
}

TEST_F(FakeForestTest, CountsEveryUseOfAHandleAfterItsUnbind) {
  platform::LdapHandle once = Bound(kDc1, 389);
  forest_.Unbind(once);
  EXPECT_EQ(forest_.HandleMisuseCount(), 0);

  platform::LdapHandle twice = Bound(kDc1, 389);
  std::unique_ptr<platform::PagedSearch> paged =
      forest_.StartPagedSearch(twice, Subtree(kRoot, ""), 1000);
  forest_.Unbind(twice);
  forest_.Unbind(twice);
  EXPECT_EQ(forest_.HandleMisuseCount(), 1);
  EXPECT_EQ(Read(twice, kRoot).code, -9);
  EXPECT_EQ(forest_.NegotiateBind(twice, std::nullopt), -9);
  EXPECT_EQ(forest_.SetOption(twice, platform::LdapOption::kReferrals, 0), -9);
  std::vector<platform::Entry> page;
  EXPECT_EQ(paged->NextPage(page), -9);
  EXPECT_EQ(forest_.StartPagedSearch(twice, Subtree(kRoot, ""), 1000), nullptr);
  EXPECT_EQ(forest_.HandleMisuseCount(), 6);
  EXPECT_EQ(forest_.connection(twice).useAfterUnbind, 5);
  EXPECT_EQ(forest_.connection(twice).unbindCount, 2);
  EXPECT_EQ(Read(platform::LdapHandle(), kRoot).code, -9);
  EXPECT_EQ(forest_.HandleMisuseCount(), 6);
}

TEST_F(FakeForestTest, LocatorAnswersFromTheServers) {
  forest_.AddServer({"dc3.corp.example.com", kRoot, "Branch", false});
  forest_.SetJoinInformation({0, true, "EMEA", ""});
  struct Case {
    std::string computer;
    std::string domain;
    unsigned flags;
    int status;
    std::string name;
  };
  const unsigned dc = platform::kDsDirectoryServiceRequired | platform::kDsReturnDnsName;
  const unsigned gc = platform::kDsGcServerRequired | platform::kDsReturnDnsName;
  const Case cases[] = {
      {"", "CORP", dc, 0, "\\\\dc1.corp.example.com"},
      {"", "emea.corp.example.com", dc, 0, "\\\\dc2.emea.corp.example.com"},
      {"", "", dc, 0, "\\\\dc2.emea.corp.example.com"},  // the joined domain
      {"", "corp.example.com", gc, 0, "\\\\dc1.corp.example.com"},
      {"", "EMEA", gc, platform::kErrorNoSuchDomain, ""},
      {"", "nope.test", dc, platform::kErrorNoSuchDomain, ""},
      {"dc3.corp.example.com", "CORP", dc, 0, "\\\\dc3.corp.example.com"},
      {"\\\\dc3.corp.example.com", "EMEA", dc, 0, "\\\\dc2.emea.corp.example.com"},
      {"unknown.example.com", "CORP", dc, platform::kRpcServerUnavailable, ""},
  };
  for (const Case& c : cases) {
    platform::LocatorAnswer answer = forest_.GetDcName(c.computer, c.domain, c.flags);
    EXPECT_EQ(answer.status, c.status) << c.computer << " " << c.domain;
    EXPECT_EQ(answer.info.name, c.name) << c.computer << " " << c.domain;
  }
  platform::LocatorAnswer answer = forest_.GetDcName("", "CORP", dc);
  EXPECT_EQ(answer.info.siteName, "Hub");
  EXPECT_NE(answer.info.flags & platform::kDsGcFlag, 0u);

  // A server in the local site wins.
  forest_.SetLocalSite({0, "branch"});
  answer = forest_.GetDcName("", "CORP", dc);
  EXPECT_EQ(answer.info.name, "\\\\dc3.corp.example.com");
  EXPECT_EQ(answer.info.flags & platform::kDsGcFlag, 0u);

  forest_.SetLocatorAnswer("", "corp", false, {1722, {}});
  EXPECT_EQ(forest_.GetDcName("", "CORP", dc).status, 1722);
  EXPECT_EQ(forest_.GetDcName("", "CORP", gc).status, 0);
  EXPECT_EQ(forest_.locatorCalls().back().flags, gc);
  EXPECT_EQ(forest_.locatorCalls().size(), std::size(cases) + 4);
}

TEST_F(FakeForestTest, HostAnswersSiteAndForestDomains) {
  EXPECT_EQ(forest_.GetSiteName("").siteName, "Hub");  // the first server's site
  EXPECT_EQ(forest_.GetSiteName(kDc2).siteName, "Branch");
  EXPECT_EQ(forest_.EnumerateForestDomains(kDc1).dnsNames,
            (Values{"corp.example.com", "emea.corp.example.com"}));
  EXPECT_FALSE(forest_.GetJoinInformation().joinedToDomain);
  EXPECT_EQ(forest_.GetLoggedOnUser().status, 0);
  EXPECT_EQ(forest_.GetComputerName().computerName, "");
  forest_.SetForestDomains({1355, {}});
  EXPECT_EQ(forest_.EnumerateForestDomains(kDc1).status, 1355);
}

// A member search finds a group only where the view holds its members, as memberOf does: the
// domain-local groups that hold an account of another domain only on their own domain's DCs.
TEST_F(FakeForestTest, MemberSearchesFindOnlyTheGroupsWhoseMembersTheViewHolds) {
  const std::string memberOfAlice = std::string("(member=") + kAlice + ")";
  const std::string domainLocal =
      "(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=4)" + memberOfAlice + ")";
  struct Case {
    const char* host;
    int port;
    const char* base;
    std::string filter;
    int code;
    Values found;
  };
  const Case cases[] = {
      {kDc2, 389, kEmea, memberOfAlice, 0, {kGEmea, kDlEmea, kUEmea}},
      {kDc2, 389, kEmea, domainLocal, 0, {kDlEmea}},
      // A DC of another domain holds its own groups' members from every domain.
      {kDc1, 389, kRoot, domainLocal, 0, {kDlRoot}},
      {kDc1, 389, kRoot, memberOfAlice, 0, {kURoot, kDlRoot}},
      // A GC adds the universal groups of every domain, never the other groups of another domain.
      {kDc1, 3268, kEmea, domainLocal, 0, {}},
      {kDc1, 3268, kRoot, domainLocal, 0, {kDlRoot}},
      // A DC refers a search of another domain there.
      {kDc2, 389, kRoot, domainLocal, 10, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + ":" + std::to_string(c.port) + " " + c.base + " " +
                 c.filter);
    platform::SearchResult result =
        forest_.Search(Bound(c.host, c.port), Subtree(c.base, c.filter));
    EXPECT_EQ(result.code, c.code);
    Values found;
    for (const platform::Entry& entry : result.entries) found.push_back(entry.dn);
    EXPECT_EQ(found, c.found);
  }
}

// S: a search, s: a search sent, A: answers awaited, P: a page of a paged search.
TEST_F(FakeForestTest, RoundTripsShareTheTripOfTheRequestsStillUnanswered) {
  struct Case {
    std::string calls;
    int roundTrips;
    int mostInFlight;
  };
  const Case cases[] = {
      {"SS", 2, 0},
      {"sss", 1, 3},
      {"ssAs", 2, 2},
      {"sSs", 2, 2},  // the search waits, so the one sent before it has its answer too
      {"sAA", 1, 1},
      {"PP", 2, 0},
      {"sPs", 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls);
    FakeForest forest;
    forest.AddDomain({kRoot, "CORP", "S-1-5-21-1-2-3"});
    forest.AddServer({kDc1, kRoot, "Hub", true});
    forest.AddGroup("CN=G1," + std::string(kRoot), "G1", kGlobal, {});
    forest.SetMaxPageSize(1);
    platform::LdapHandle handle = forest.Open(kDc1, 389, false).handle;
    forest.NegotiateBind(handle, std::nullopt);
    const platform::SearchRequest read = Subtree(kRoot, "(objectClass=*)");
    std::unique_ptr<platform::PagedSearch> paged = forest.StartPagedSearch(handle, read, 1);
    std::vector<platform::Entry> page;
    for (char call : c.calls) {
      if (call == 'S') forest.Search(handle, read);
      if (call == 's') forest.SendSearch(handle, read);
      if (call == 'A') forest.AwaitAnswers(std::chrono::milliseconds(0));
      if (call == 'P') {
        EXPECT_EQ(paged->NextPage(page), 0);
      }
    }
    EXPECT_EQ(forest.RoundTrips(), c.roundTrips);
    EXPECT_EQ(forest.connection(handle).mostInFlight, c.mostInFlight);
  }
}

}  // namespace
}  // namespace nestwalk::fake
