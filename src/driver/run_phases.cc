#include "driver/run_phases.h"

#include <optional>
#include <string>

#include "driver/run_report.h"
#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "ldap/server_selection.h"
#include "membership/account_lookup.h"
#include "membership/domain_local_groups.h"
#include "membership/forest_wide_mode.h"
#include "membership/group_details.h"
#include "membership/nested_expansion.h"
#include "membership/primary_group.h"

namespace nestwalk {

namespace {

AccountKind AccountKindOf(PrincipalKind kind) {
  switch (kind) {
    case PrincipalKind::kComputer:
      return AccountKind::kComputer;
    case PrincipalKind::kGroup:
      return AccountKind::kGroup;
    case PrincipalKind::kUser:
      break;
  }
  return AccountKind::kUser;
}

}  // namespace

int RunDirectoryPhases(Console& console, platform::Services& services, const RunSettings& settings,
                       const SecurityPrincipal& principal) {
  // Owns every connection of the run; whatever a phase leaves open is closed when it goes.
  ConnectionList connections(console, services.directory);
  ServerMaps maps;
  const std::optional<SelectedServers> servers =
      SelectServers(console, services, connections, maps, principal.domain, settings.initialServer);
  if (!servers) return -1;

  const std::string& domainDn = servers->dcRootDse.defaultNamingContext;
  const AccountObject account =
      GetUserDN(console, services.directory, servers->dcConnection, domainDn, principal.samName,
                AccountKindOf(principal.kind),
                {.objectSid = settings.json, .sIDHistory = settings.token || settings.json});
  if (account.dn.empty()) {
    console.Err("Terminating program.\n");
    connections.UnbindAllConnections();
    return -1;
  }

  GroupDetailsMap groups(/*readsSids=*/settings.json);
  if (settings.resolvePrimaryGroup) {
    console.DebugErr("Resolving primaryGroupID to group...\n");
    // A failed resolution has said why and gives no DN, which names no group.
    groups.AddPrimaryGroup(account.dn, GetPrimaryGroupDN(console, services.directory,
                                                         servers->dcConnection, domainDn,
                                                         account.primaryGroupID));
  }

  ReadDirectMemberships(console, services.directory, servers->dcConnection, servers->gcConnection,
                        account.dn, groups);

  // Only adds diagnostic output; nothing below depends on what it finds.
  if (settings.tryAll) RunForestWideMode(console, services, *servers);

  NestedExpansion(console, services, connections, maps, servers->gcConnection,
                  settings.initialServer)
      .Run(groups);
  if (settings.complete) {
    AddDomainLocalGroups(console, services, connections, maps, *servers, settings.initialServer,
                         account.dn, groups);
  }

  WriteRunReport(console, settings, principal, account, groups);
  connections.UnbindAllConnections();
  return 0;
}

}  // namespace nestwalk
