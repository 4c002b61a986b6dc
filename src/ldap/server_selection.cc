#include "ldap/server_selection.h"

#include <utility>

#include "ldap/open_ldap.h"
#include "locate/dc_locator.h"
#include "platform/locator.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

void WriteRootDseSummary(Console& console, const CRootDSE& dse) {
  if (!console.debug()) return;
  console.Out("DEBUG: RootDSE Completed\n");
  console.Err("Schema: " + dse.schemaNamingContext + "\n");
  console.Err("Config: " + dse.configurationNamingContext + "\n");
  console.Err("Default: " + dse.defaultNamingContext + "\n");
  console.Err("Root: " + dse.rootDomainNamingContext + "\n");
  console.Err("ContextCount: " + std::to_string(dse.namingContextCount) + "\n");
  console.Err("HostName: " + dse.dnsHostName + "\n");
}

void Terminate(Console& console, ConnectionList& connections) {
  console.Err("Terminating program.\n");
  connections.UnbindAllConnections();
}

// `role` is "DC" or "GC". On failure the reader has closed `connection` already, so it leaves
// the list before the rest is closed.
std::optional<CRootDSE> ReadRootDse(Console& console, platform::Directory& directory,
                                    ConnectionList& connections, platform::LdapHandle connection,
                                    const std::string& role) {
  console.DebugErr("Retrieving " + role + " RootDSE Info...\n");
  CRootDSE dse(console, directory, connection);
  if (!dse.valid) {
    connections.Remove(connection);
    console.Err("ERROR: Couldn't gather " + role + " RootDSE Info...\n");
    Terminate(console, connections);
    return std::nullopt;
  }
  WriteRootDseSummary(console, dse);
  return dse;
}

// The DC of the principal's domain, bound, with its RootDSE read and its entry in the DC map;
// nullopt when the run ends here.
std::optional<SelectedServers> SelectDomainController(Console& console,
                                                      ConnectionStrategy& strategy,
                                                      ConnectionList& connections, ServerMaps& maps,
                                                      const LocatedServer& dc) {
  SelectedServers selected;
  selected.dcName = platform::HostOfServerName(dc.name);
  selected.dcSite = dc.site;
  console.DebugErr("For LDAP DC: " + selected.dcName + "\n");
  if (dc.isGlobalCatalog) {
    console.DebugErr("LDAP DC is also a GC\n");
    strategy.ForeseeGlobalCatalogPort(console, selected.dcName);
  }

  platform::Directory& directory = strategy.services().directory;
  selected.dcConnection =
      OpenWithCallerCredentials(console, directory, selected.dcName, kDefaultPortSelector, false);
  if (!selected.dcConnection.valid()) {
    console.Err("\nTerminating program.\n");
    return std::nullopt;
  }
  connections.Append(selected.dcConnection);

  std::optional<CRootDSE> dcRootDse =
      ReadRootDse(console, directory, connections, selected.dcConnection, "DC");
  if (!dcRootDse) return std::nullopt;
  selected.dcRootDse = std::move(*dcRootDse);
  maps.dcByDomain[LowerCaseText(selected.dcRootDse.defaultNamingContext)] =
      ldapsrvdata{selected.dcName, selected.dcSite, selected.dcConnection};
  return selected;
}

// The GC port of the DC, which is a GC, bound and entered in the GC map; invalid when the run
// ends here.
platform::LdapHandle BindDomainControllerGcPort(Console& console, ConnectionStrategy& strategy,
                                                ConnectionList& connections, ServerMaps& maps,
                                                const SelectedServers& selected) {
  console.DebugErr("Do GC port bind to same DC.\n");
  const platform::LdapHandle port = strategy.BindGlobalCatalogPort(console, selected.dcName);
  if (!port.valid()) {
    Terminate(console, connections);
    return port;
  }
  connections.Append(port);
  strategy.ForeseeSearch(port, RootDseRequest());
  maps.gcByDomain[LowerCaseText(selected.dcRootDse.defaultNamingContext)] =
      ldapsrvdata{selected.dcName, selected.dcSite, port};
  return port;
}

// The forest's GC, bound (or the DC's GC port when the locator names the DC), with its RootDSE
// read and its entries in the maps; false when the run ends here.
bool SelectGlobalCatalog(Console& console, ConnectionStrategy& strategy,
                         ConnectionList& connections, ServerMaps& maps,
                         const std::string& initialServer, platform::LdapHandle dcGcPort,
                         SelectedServers& selected) {
  const std::string forest = DnToDomainName(selected.dcRootDse.rootDomainNamingContext);
  console.DebugErr("Locating GC for forest: " + forest + "\n");
  const LocatedServer gc =
      LocateDomainController(console, strategy.services().locator, initialServer, forest, true);
  // The run ends here; the connection list closes what is open when it goes.
  if (gc.name.empty()) return false;
  selected.gcName = platform::HostOfServerName(gc.name);
  selected.gcSite = gc.site;
  console.DebugErr("For LDAP GC: " + selected.gcName + "\n");

  if (selected.gcName == selected.dcName && dcGcPort.valid()) {
    selected.gcConnection = dcGcPort;
  } else {
    selected.gcConnection = strategy.BindGlobalCatalogPort(console, selected.gcName);
    if (!selected.gcConnection.valid()) {
      Terminate(console, connections);
      return false;
    }
    connections.Append(selected.gcConnection);
  }

  std::optional<CRootDSE> gcRootDse =
      ReadRootDse(console, strategy.services().directory, connections, selected.gcConnection, "GC");
  if (!gcRootDse) return false;
  selected.gcRootDse = std::move(*gcRootDse);

  const std::string gcDomainKey = LowerCaseText(selected.gcRootDse.defaultNamingContext);
  const ldapsrvdata gcServer{selected.gcName, selected.gcSite, selected.gcConnection};
  if (selected.dcRootDse.defaultNamingContext == selected.gcRootDse.defaultNamingContext) {
    maps.dcByDomain[gcDomainKey] = gcServer;
  }
  maps.gcByDomain[gcDomainKey] = gcServer;
  return true;
}

}  // namespace

std::optional<SelectedServers> SelectServers(Console& console, ConnectionStrategy& strategy,
                                             ConnectionList& connections, ServerMaps& maps,
                                             const std::string& domain,
                                             const std::string& initialServer,
                                             const DcReady& dcReady) {
  console.DebugErr("Initial Server specified [" + initialServer + "]\n");
  console.DebugErr("Retrieve workstation site\n");
  platform::Locator& locator = strategy.services().locator;
  // Only its trace lines matter; nothing later depends on the site.
  LookupSiteName(console, locator, std::string());

  const LocatedServer dc = LocateDomainController(console, locator, initialServer, domain, false);
  if (dc.name.empty()) return std::nullopt;
  std::optional<SelectedServers> selected =
      SelectDomainController(console, strategy, connections, maps, dc);
  if (!selected) return std::nullopt;
  if (dcReady) dcReady(selected->dcConnection, selected->dcRootDse);

  platform::LdapHandle dcGcPort;
  if (dc.isGlobalCatalog) {
    dcGcPort = BindDomainControllerGcPort(console, strategy, connections, maps, *selected);
    if (!dcGcPort.valid()) return std::nullopt;
  }
  if (!SelectGlobalCatalog(console, strategy, connections, maps, initialServer, dcGcPort,
                           *selected)) {
    return std::nullopt;
  }
  return selected;
}

}  // namespace nestwalk
