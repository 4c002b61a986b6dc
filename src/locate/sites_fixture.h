// Test support, not part of the program: builders for the configuration objects of a fake
// forest (server and NTDS Settings objects, site links) and a console that keeps its output.
#ifndef NESTWALK_LOCATE_SITES_FIXTURE_H_
#define NESTWALK_LOCATE_SITES_FIXTURE_H_

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk::testing {

inline const std::string kRootDn = "DC=corp,DC=com";
inline const std::string kChildDn = "DC=child,DC=corp,DC=com";
inline const std::string kConfigNc = "CN=Configuration,DC=corp,DC=com";
inline const std::string kSchemaNc = "CN=Schema,CN=Configuration,DC=corp,DC=com";
inline const std::string kHost = "dc1.corp.com";

struct SiteTraceCapture {
  explicit SiteTraceCapture(bool debug) : console(out, err, false, debug) {}
  std::ostringstream out;
  std::ostringstream err;
  Console console;
};

// A forest corp.com with the child domain child.corp.com and one GC, dc1.corp.com, in Hub.
inline void AddCorpForest(fake::FakeForest& forest) {
  forest.AddDomain({kRootDn, "CORP", "S-1-5-21-1-2-3"});
  forest.AddDomain({kChildDn, "CHILD", "S-1-5-21-4-5-6"});
  forest.AddServer({kHost, kRootDn, "Hub", true});
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
struct SiteLinkSpec {
  std::string transport;           // "IP", "SMTP"
  std::string cn;                  // the link's common name
  std::vector<std::string> sites;  // common names of the sites it lists
  std::optional<std::string> cost;
  std::optional<std::string> name;
};

inline std::string SiteLinkDn(const SiteLinkSpec& link) {
  return "CN=" + link.cn + ",CN=" + link.transport + ",CN=Inter-Site Transports,CN=Sites," +
         kConfigNc;
}

inline void AddSiteLink(fake::FakeForest& forest, const SiteLinkSpec& link) {
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

// A connection to port 389 of `host`, bound with the caller's credentials.
inline platform::LdapHandle BoundConnectionTo(fake::FakeForest& forest, const std::string& host) {
  platform::LdapHandle handle = forest.Open(host, 389, false).handle;
  forest.NegotiateBind(handle, std::nullopt);
  return handle;
}

}  // namespace nestwalk::testing

#endif  // NESTWALK_LOCATE_SITES_FIXTURE_H_
