#include "locate/gc_inventory.h"

#include <string_view>
#include <vector>

#include "locate/paged_walk.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

constexpr std::string_view kNtdsSettingsPrefix = "CN=NTDS Settings,";
constexpr std::string_view kSeparator = "------------------------------\n";

// The first forest domain among the NC values, tracing each value looked at.
std::string FirstForestDomain(Console& console, const std::vector<std::string>* masterNcs,
                              const ForestDomainMap& forestDomains) {
  if (masterNcs == nullptr) return {};
  for (const std::string& nc : *masterNcs) {
    std::string name = LowerCaseText(DnToDomainName(nc));
    console.DebugErr("NC: " + name + "\n");
    auto found = forestDomains.find(name);
    if (found != forestDomains.end() && found->second) return name;
  }
  return {};
}

// The site is the fourth component, CN=<site>, of CN=NTDS Settings,CN=<server>,CN=Servers,...
// The DN comes from the server, so a shorter one gives no site instead of a broken cut.
std::string SiteOfNtdsSettings(std::string_view dn) {
  std::string component = DnComponent(dn, 3);
  return component.size() < 3 ? std::string() : component.substr(3);
}

void ReadNtdsSettings(Console& console, const platform::Entry& entry,
                      const ForestDomainMap& forestDomains, GcInventory& gcs) {
  console.DebugErr("NTDSDSA Object\n");
  std::string masterDomain = FirstForestDomain(console, entry.Find("hasMasterNCs"), forestDomains);
  std::string site = SiteOfNtdsSettings(entry.dn);
  std::string serverDn = entry.dn.substr(kNtdsSettingsPrefix.size());
  console.DebugErr("ServerDN: " + serverDn + "\nMasterNC: " + masterDomain + "\nSite: " + site +
                   "\n");
  gcdata& gc = gcs[LowerCaseText(serverDn)];
  gc.domainName = masterDomain;
  gc.siteName = site;
}

void ReadServer(Console& console, const platform::Entry& entry, ServerHostMap& serverHosts) {
  console.DebugErr("Server Object\n");
  std::string hostName = entry.First("dNSHostName").value_or("--");
  console.DebugErr("ServerDN: " + entry.dn + "\nDNSHostName: " + hostName + "\n");
  serverHosts[LowerCaseText(entry.dn)] = LowerCaseText(hostName);
}

void ListInventory(Console& console, const GcInventory& gcs) {
  if (!console.debug()) return;
  for (const auto& [serverDn, gc] : gcs) {
    console.DebugErr(std::string(kSeparator) + "DN: " + serverDn + "\nDomain:" + gc.domainName +
                     "\nDNS HostName:" + gc.hostName + "\nSite:" + gc.siteName + "\n" +
                     std::string(kSeparator));
  }
}

}  // namespace

ForestGcInventory ReadForestGcInventory(Console& console, platform::Directory& directory,
                                        platform::LdapHandle connection,
                                        const std::string& configurationNc,
                                        const ForestDomainMap& forestDomains) {
  platform::SearchRequest request;
  request.base = "CN=Sites," + configurationNc;
  request.scope = platform::SearchScope::kSubtree;
  // Every server object, and the NTDS Settings of the servers with the GC bit (0x1) in options.
  request.filter =
      "(|(objectcategory=server)(&(objectcategory=ntdsdsa)"
      "(options:1.2.840.113556.1.4.803:=1)))";
  request.attributes = {"hasMasterNCs", "dNSHostName"};

  ForestGcInventory inventory;
  WalkPagedSearch(console, directory, connection, request, [&](const platform::Entry& entry) {
    // The prefix test is exact on purpose: any other spelling is read as a server object.
    if (entry.dn.starts_with(kNtdsSettingsPrefix)) {
      ReadNtdsSettings(console, entry, forestDomains, inventory.gcs);
    } else {
      ReadServer(console, entry, inventory.serverHosts);
    }
  });

  // Joined only after the last page: the two kinds of object arrive in any order.
  for (auto& [serverDn, gc] : inventory.gcs) {
    auto host = inventory.serverHosts.find(serverDn);
    gc.hostName = host == inventory.serverHosts.end() ? std::string() : host->second;
  }
  ListInventory(console, inventory.gcs);
  return inventory;
}

}  // namespace nestwalk
