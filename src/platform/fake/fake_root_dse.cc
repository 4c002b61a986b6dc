#include "platform/fake/fake_root_dse.h"

#include <string>

#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk::fake {

namespace {

constexpr std::size_t kFirstUsn = 4000;

}  // namespace

std::vector<platform::Attribute> BuildRootDse(const FakeTree& tree, const ServerSetup& server) {
  const int forest = tree.ForestOf(server);
  std::string shortName = server.host.substr(0, server.host.find('.'));
  std::string serverDn = "CN=" + UpperCaseText(shortName) + ",CN=Servers,CN=" + server.site +
                         ",CN=Sites," + tree.configurationDn(forest);
  const FakeDomain* domain = tree.FindDomainByDn(server.domainDn);
  std::string realm = UpperCaseText(domain != nullptr ? domain->dnsName : "");
  std::string forestName = DnToDomainName(tree.rootDn(forest));
  return {
      {"currentTime", {kFakeCurrentTime}},
      {"subschemaSubentry", {"CN=Aggregate," + tree.schemaDn(forest)}},
      {"dsServiceName", {"CN=NTDS Settings," + serverDn}},
      {"namingContexts", {server.domainDn, tree.configurationDn(forest), tree.schemaDn(forest)}},
      {"defaultNamingContext", {server.domainDn}},
      {"rootDomainNamingContext", {tree.rootDn(forest)}},
      {"configurationNamingContext", {tree.configurationDn(forest)}},
      {"schemaNamingContext", {tree.schemaDn(forest)}},
      {"supportedCapabilities",
       {"1.2.840.113556.1.4.800", "1.2.840.113556.1.4.1670", "1.2.840.113556.1.4.1791"}},
      {"supportedLDAPVersion", {"2", "3"}},
      {"highestCommittedUsn", {std::to_string(kFirstUsn + tree.entryCount())}},
      {"dnsHostName", {server.host}},
      {"ldapServiceName", {forestName + ":" + LowerCaseText(shortName) + "$@" + realm}},
      {"serverName", {serverDn}},
      {"isSynchronized", {"TRUE"}},
      {"isGlobalCatalogReady", {server.globalCatalog ? "TRUE" : "FALSE"}},
      {"domainFunctionality", {"4"}},
      {"forestFunctionality", {"4"}},
      {"domainControllerFunctionality", {"4"}},
  };
}

}  // namespace nestwalk::fake
