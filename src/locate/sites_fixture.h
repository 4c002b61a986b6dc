// Test support, not part of the program: builders for the configuration objects of a fake
// forest (server and NTDS Settings objects, site links).
#ifndef NESTWALK_LOCATE_SITES_FIXTURE_H_
#define NESTWALK_LOCATE_SITES_FIXTURE_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"

namespace nestwalk::testing::sites {

inline const std::string kRootDn = "DC=corp,DC=com";
inline const std::string kChildDn = "DC=child,DC=corp,DC=com";
inline const std::string kConfigNc = "CN=Configuration,DC=corp,DC=com";
inline const std::string kSchemaNc = "CN=Schema,CN=Configuration,DC=corp,DC=com";
inline const std::string kHost = "dc1.corp.com";

// A forest corp.com with the child domain child.corp.com and its server dc1.corp.com in Hub,
// a GC when `globalCatalog`.
inline void AddCorpForest(fake::FakeForest& forest, bool globalCatalog = true) {
  forest.AddDomain({kRootDn, "CORP", "S-1-5-21-1-2-3"});
  forest.AddDomain({kChildDn, "CHILD", "S-1-5-21-4-5-6"});
  forest.AddServer({kHost, kRootDn, "Hub", globalCatalog});
}

// "CN=<server>,CN=Servers,CN=<site>,CN=Sites,<configuration NC>"
inline std::string ServerDn(const std::string& server, const std::string& site) {
  return "CN=" + server + ",CN=Servers,CN=" + site + ",CN=Sites," + kConfigNc;
}

inline void AddServerObject(fake::FakeForest& forest, const std::string& dn,
                            const std::optional<std::string>& dnsHostName) {
  std::vector<platform::Attribute> attributes{{"objectCategory", {"server"}}};
  if (dnsHostName) attributes.push_back({"dNSHostName", {*dnsHostName}});
  forest.AddEntry(dn, attributes);
}

// The NTDS Settings object below `serverDn`; options "1" marks a GC.
inline void AddNtdsSettings(fake::FakeForest& forest, const std::string& serverDn,
                            const std::string& options, const std::vector<std::string>& masterNcs) {
  std::vector<platform::Attribute> attributes{{"objectCategory", {"ntdsdsa"}},
                                              {"options", {options}}};
  if (!masterNcs.empty()) attributes.push_back({"hasMasterNCs", masterNcs});
  forest.AddEntry("CN=NTDS Settings," + serverDn, attributes);
}

// A site link below "CN=<transport>,CN=Inter-Site Transports,CN=Sites,<configuration NC>".
struct SiteLinkSetup {
  std::string transport;           // "IP", "SMTP"
  std::string cn;                  // the link's common name
  std::vector<std::string> sites;  // common names of the sites it lists
  std::optional<std::string> cost;
  std::optional<std::string> name;
};

inline std::string SiteLinkDn(const SiteLinkSetup& link) {
  return "CN=" + link.cn + ",CN=" + link.transport + ",CN=Inter-Site Transports,CN=Sites," +
         kConfigNc;
}

inline void AddSiteLink(fake::FakeForest& forest, const SiteLinkSetup& link) {
  std::vector<std::string> siteDns;
  for (const std::string& site : link.sites) {
    siteDns.push_back("CN=" + site + ",CN=Sites," + kConfigNc);
  }
  std::vector<platform::Attribute> attributes{{"objectCategory", {"sitelink"}},
                                              {"siteList", siteDns}};
  if (link.cost) attributes.push_back({"cost", {*link.cost}});
  if (link.name) attributes.push_back({"name", {*link.name}});
  forest.AddEntry(SiteLinkDn(link), attributes);
}

// The forest saw exactly one search: a paged subtree search in pages of 1000 entries.
inline void ExpectOnePagedSearch(const fake::FakeForest& forest, const std::string& base,
                                 const std::string& filter,
                                 const std::vector<std::string>& attributes) {
  ASSERT_EQ(forest.searches().size(), 1u);
  const fake::SearchRecord& search = forest.searches().front();
  EXPECT_TRUE(search.paged);
  EXPECT_EQ(search.pageSize, 1000);
  EXPECT_EQ(search.request.base, base);
  EXPECT_EQ(search.request.scope, platform::SearchScope::kSubtree);
  EXPECT_EQ(search.request.filter, filter);
  EXPECT_EQ(search.request.attributes, attributes);
  EXPECT_FALSE(search.request.attributesOnly);
}

// A connection to port 389 of `host`, bound with the caller's credentials.
inline platform::LdapHandle BoundConnectionTo(fake::FakeForest& forest, const std::string& host) {
  platform::LdapHandle handle = forest.Open(host, 389, false).handle;
  forest.NegotiateBind(handle, std::nullopt);
  return handle;
}

// ---- the two-site forest of the inventory, site link and whole-run tests -------------------

// The DEBUG lines of one paged search that made `pageRequests` page requests.
inline std::string PageTrace(int pageRequests) {
  std::string trace = "DEBUG: Search Initialized...\nDEBUG: Have valid Search Handle...\n";
  for (int i = 0; i < pageRequests; ++i) trace += "DEBUG: Retrieving Page...\n";
  return trace;
}

// Two sites and three GCs: DC1 (Hub, master for corp.com after two non-domain NCs), DC2
// (Branch, no dNSHostName), DC3 (Branch, no server object, master for no forest domain), and
// DC4, which is no GC. The server and NTDS Settings DNs of a server differ in letter case.
struct ConfigObject {
  std::function<void(fake::FakeForest&)> add;
  std::string trace;  // what reading it writes to standard error in debug mode
};

inline const std::string kDc1 = ServerDn("DC1", "Hub");
inline const std::string kDc1Mixed = "CN=dc1,CN=SERVERS,CN=Hub,CN=Sites," + kConfigNc;
inline const std::string kDc2 = ServerDn("DC2", "Branch");
inline const std::string kDc3 = ServerDn("DC3", "Branch");
inline const std::string kDc4 = ServerDn("DC4", "Hub");
inline const std::string kDc1Key =
    "cn=dc1,cn=servers,cn=hub,cn=sites,cn=configuration,dc=corp,dc=com";
inline const std::string kDc2Key =
    "cn=dc2,cn=servers,cn=branch,cn=sites,cn=configuration,dc=corp,dc=com";
inline const std::string kDc3Key =
    "cn=dc3,cn=servers,cn=branch,cn=sites,cn=configuration,dc=corp,dc=com";
inline const std::string kDc4Key =
    "cn=dc4,cn=servers,cn=hub,cn=sites,cn=configuration,dc=corp,dc=com";

inline const ConfigObject kDc1Server{
    [](fake::FakeForest& f) { AddServerObject(f, kDc1, "DC1.Corp.com"); },
    "Server Object\nServerDN: " + kDc1 + "\nDNSHostName: DC1.Corp.com\n"};
inline const ConfigObject kDc1Ntds{
    [](fake::FakeForest& f) {
      AddNtdsSettings(f, kDc1Mixed, "1", {kConfigNc, kSchemaNc, kRootDn, kChildDn});
    },
    "NTDSDSA Object\nNC: ***notdomaindnformat***\nNC: ***notdomaindnformat***\nNC: corp.com\n"
    "ServerDN: " +
        kDc1Mixed + "\nMasterNC: corp.com\nSite: hub\n"};
inline const ConfigObject kDc2Server{
    [](fake::FakeForest& f) { AddServerObject(f, kDc2, std::nullopt); },
    "Server Object\nServerDN: " + kDc2 + "\nDNSHostName: --\n"};
inline const ConfigObject kDc2Ntds{
    [](fake::FakeForest& f) { AddNtdsSettings(f, kDc2, "1", {kChildDn}); },
    "NTDSDSA Object\nNC: child.corp.com\nServerDN: " + kDc2 +
        "\nMasterNC: child.corp.com\nSite: branch\n"};
inline const ConfigObject kDc3Ntds{
    [](fake::FakeForest& f) {
      AddNtdsSettings(f, kDc3, "5", {"DC=DomainDnsZones,DC=corp,DC=com", kConfigNc});
    },
    "NTDSDSA Object\nNC: domaindnszones.corp.com\nNC: ***notdomaindnformat***\nServerDN: " + kDc3 +
        "\nMasterNC: \nSite: branch\n"};
inline const ConfigObject kDc4Server{
    [](fake::FakeForest& f) { AddServerObject(f, kDc4, "dc4.corp.com"); },
    "Server Object\nServerDN: " + kDc4 + "\nDNSHostName: dc4.corp.com\n"};
// Not a GC: the search never returns it.
inline const ConfigObject kDc4Ntds{
    [](fake::FakeForest& f) { AddNtdsSettings(f, kDc4, "0", {kRootDn}); }, ""};

inline const std::string kSeparator = "------------------------------\n";
inline const std::string kDc1Listing = kSeparator + "DN: " + kDc1Key +
                                       "\nDomain:corp.com\nDNS HostName:dc1.corp.com\nSite:hub\n" +
                                       kSeparator;
inline const std::string kFullListing = kDc1Listing + kSeparator + "DN: " + kDc2Key +
                                        "\nDomain:child.corp.com\nDNS HostName:--\nSite:branch\n" +
                                        kSeparator + kSeparator + "DN: " + kDc3Key +
                                        "\nDomain:\nDNS HostName:\nSite:branch\n" + kSeparator;

// IP links of Hub (one also of Branch), one of Branch only, one without cost and name, and an
// SMTP link of Hub that no IP search may return.
inline const SiteLinkSetup kHubBranch{"IP", "HUB-BRANCH", {"Hub", "Branch"}, "100", "HUB-BRANCH"};
inline const SiteLinkSetup kHubLab{"IP", "Hub-Lab", {"Lab", "Hub"}, "0050", "Hub-Lab"};
inline const SiteLinkSetup kBareLink{"IP", "Bare", {"Hub"}, std::nullopt, std::nullopt};
inline const SiteLinkSetup kSmtpLink{"SMTP", "Hub-Mail", {"Hub"}, "10", "Hub-Mail"};
inline const SiteLinkSetup kBranchOnly{"IP", "Branch-Lab", {"Branch", "Lab"}, "200", "Branch-Lab"};

inline std::string LinkTrace(const SiteLinkSetup& link) {
  return "DN: " + SiteLinkDn(link) + "\nCost: " + link.cost.value_or("") +
         "\nName: " + link.name.value_or("") + "\n";
}

}  // namespace nestwalk::testing::sites

#endif  // NESTWALK_LOCATE_SITES_FIXTURE_H_
