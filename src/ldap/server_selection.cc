#include "ldap/server_selection.h"

#include <utility>

#include "ldap/open_ldap.h"
#include "locate/dc_locator.h"
#include "platform/locator.h"
#include "platform/work_ahead.h"
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

std::nullopt_t Terminate(Console& console, ConnectionList& connections) {
  console.Err("Terminating program.\n");
  connections.UnbindAllConnections();
  return std::nullopt;
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
    return Terminate(console, connections);
  }
  WriteRootDseSummary(console, dse);
  return dse;
}

platform::LdapHandle BindGlobalCatalogPort(Console& console, platform::Directory& directory,
                                           const std::string& host) {
  return OpenWithCallerCredentials(console, directory, host, kGlobalCatalogPortSelector, true);
}

}  // namespace

std::optional<SelectedServers> SelectServers(Console& console, platform::Services& services,
                                             ConnectionList& connections, ServerMaps& maps,
                                             const std::string& domain,
                                             const std::string& initialServer,
                                             const SelectionAhead* ahead) {
  platform::Directory& directory = services.directory;
  console.DebugErr("Initial Server specified [" + initialServer + "]\n");
  console.DebugErr("Retrieve workstation site\n");
  // Only its trace lines matter; nothing later depends on the site.
  LookupSiteName(console, services.locator, std::string());

  const LocatedServer dc =
      LocateDomainController(console, services.locator, initialServer, domain, false);
  if (dc.name.empty()) return std::nullopt;
  SelectedServers selected;
  selected.dcName = platform::HostOfServerName(dc.name);
  selected.dcSite = dc.site;
  console.DebugErr("For LDAP DC: " + selected.dcName + "\n");
  if (dc.isGlobalCatalog) console.DebugErr("LDAP DC is also a GC\n");
  std::optional<WorkAhead<platform::LdapHandle>> gcPortAhead;
  if (ahead != nullptr && dc.isGlobalCatalog) {
    console.DebugErr("Binding the GC port of " + selected.dcName + " ahead\n");
    platform::Directory& threadDirectory = ahead->threadDirectory;
    gcPortAhead.emplace(
        console,
        [&threadDirectory, host = selected.dcName](Console& lines) {
          return BindGlobalCatalogPort(lines, threadDirectory, host);
        },
        [&threadDirectory](platform::LdapHandle& unused) {
          if (unused.valid()) threadDirectory.Unbind(unused);
        });
  }

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
  const std::string dcDomainKey = LowerCaseText(selected.dcRootDse.defaultNamingContext);
  maps.dcList[dcDomainKey] = ldapsrvdata{selected.dcName, selected.dcSite, selected.dcConnection};
  if (ahead != nullptr && ahead->dcReady) ahead->dcReady(selected.dcConnection, selected.dcRootDse);

  platform::LdapHandle dcGlobalCatalogPort;
  if (dc.isGlobalCatalog) {
    console.DebugErr("Do GC port bind to same DC.\n");
    dcGlobalCatalogPort = gcPortAhead ? gcPortAhead->Take(console)
                                      : BindGlobalCatalogPort(console, directory, selected.dcName);
    if (!dcGlobalCatalogPort.valid()) return Terminate(console, connections);
    connections.Append(dcGlobalCatalogPort);
    if (ahead != nullptr) ahead->readAhead.Prefetch(dcGlobalCatalogPort, RootDseRequest());
    maps.gcList[dcDomainKey] = ldapsrvdata{selected.dcName, selected.dcSite, dcGlobalCatalogPort};
  }

  const std::string forest = DnToDomainName(selected.dcRootDse.rootDomainNamingContext);
  console.DebugErr("Locating GC for forest: " + forest + "\n");
  const LocatedServer gc =
      LocateDomainController(console, services.locator, initialServer, forest, true);
  // The run ends here; the connection list closes what is open when it goes.
  if (gc.name.empty()) return std::nullopt;
  selected.gcName = platform::HostOfServerName(gc.name);
  selected.gcSite = gc.site;
  console.DebugErr("For LDAP GC: " + selected.gcName + "\n");

  if (selected.gcName == selected.dcName && dcGlobalCatalogPort.valid()) {
    selected.gcConnection = dcGlobalCatalogPort;
  } else {
    selected.gcConnection = BindGlobalCatalogPort(console, directory, selected.gcName);
    if (!selected.gcConnection.valid()) return Terminate(console, connections);
    connections.Append(selected.gcConnection);
  }

  std::optional<CRootDSE> gcRootDse =
      ReadRootDse(console, directory, connections, selected.gcConnection, "GC");
  if (!gcRootDse) return std::nullopt;
  selected.gcRootDse = std::move(*gcRootDse);

  const std::string gcDomainKey = LowerCaseText(selected.gcRootDse.defaultNamingContext);
  const ldapsrvdata gcServer{selected.gcName, selected.gcSite, selected.gcConnection};
  if (selected.dcRootDse.defaultNamingContext == selected.gcRootDse.defaultNamingContext) {
    maps.dcList[gcDomainKey] = gcServer;
  }
  maps.gcList[gcDomainKey] = gcServer;
  return selected;
}

}  // namespace nestwalk
