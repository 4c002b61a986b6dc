#include "driver/run_phases.h"

#include <optional>
#include <string>

#include "driver/run_report.h"
#include "ldap/connection_list.h"
#include "ldap/read_ahead_directory.h"
#include "ldap/server_maps.h"
#include "ldap/server_selection.h"
#include "membership/account_lookup.h"
#include "membership/domain_local_groups.h"
#include "membership/forest_wide_mode.h"
#include "membership/group_details.h"
#include "membership/nested_expansion.h"
#include "membership/primary_group.h"
#include "membership/read_ahead_planner.h"

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

int RunDirectoryPhases(Console& console, platform::Services& platformServices,
                       const RunSettings& settings, const SecurityPrincipal& principal) {
  // With -fast every search goes through a directory that can send member reads ahead.
  std::optional<ReadAheadDirectory> readAhead;
  if (settings.fast) {
    readAhead.emplace(platformServices.directory);
    platformServices.locator.PingCandidatesTogether();
  }
  platform::Services services =
      readAhead ? platform::Services{*readAhead, platformServices.locator, platformServices.host}
                : platformServices;
  // Owns every connection of the run; whatever a phase leaves open is closed when it goes.
  ConnectionList connections(console, services.directory);
  ServerMaps maps;
  const AccountKind accountKind = AccountKindOf(principal.kind);
  const AccountExtras accountExtras{.objectSid = settings.json,
                                    .sIDHistory = settings.token || settings.json};
  std::optional<SelectionAhead> selectionAhead;
  if (readAhead) {
    // The account's lookup and the domain SID of its primary group need only the DC's naming
    // context, so they go out while the GC is located.
    selectionAhead.emplace(SelectionAhead{
        *readAhead, platformServices.directory, [&](platform::LdapHandle dc, const CRootDSE& dse) {
          const std::string& base = dse.defaultNamingContext;
          readAhead->Prefetch(
              dc, AccountLookupRequest(base, principal.samName, accountKind, accountExtras));
          if (settings.resolvePrimaryGroup) readAhead->Prefetch(dc, DomainSidRequest(base));
        }});
  }
  const std::optional<SelectedServers> servers =
      SelectServers(console, services, connections, maps, principal.domain, settings.initialServer,
                    selectionAhead ? &*selectionAhead : nullptr);
  if (!servers) return -1;

  const std::string& domainDn = servers->dcRootDse.defaultNamingContext;
  const AccountObject account = GetUserDN(console, services.directory, servers->dcConnection,
                                          domainDn, principal.samName, accountKind, accountExtras);
  if (account.dn.empty()) {
    console.Err("Terminating program.\n");
    connections.UnbindAllConnections();
    return -1;
  }
  GroupDetailsMap groups(/*readsSids=*/settings.json);
  std::optional<ReadAheadPlanner> planner;
  if (readAhead) {
    planner.emplace(console, *readAhead, services, platformServices.directory, maps,
                    servers->gcConnection, settings.initialServer, groups.readsSids());
    planner->PrefetchDirectReads(servers->dcConnection, account.dn);
  }

  if (settings.resolvePrimaryGroup) {
    console.DebugErr("Resolving primaryGroupID to group...\n");
    // A failed resolution has said why and gives no DN, which names no group.
    const std::string primaryGroup = GetPrimaryGroupDN(
        console, services.directory, servers->dcConnection, domainDn, account.primaryGroupID);
    if (primaryGroup.empty()) {
      groups.RecordProblem(account.dn, "its primary group could not be resolved");
    }
    if (planner) planner->Discover(primaryGroup);
    groups.AddPrimaryGroup(account.dn, primaryGroup);
  }

  ReadDirectMemberships(console, services.directory, servers->dcConnection, servers->gcConnection,
                        account.dn, groups);

  // Only adds diagnostic output; nothing below depends on what it finds.
  if (settings.tryAll) RunForestWideMode(console, services, *servers);

  NestedExpansion(console, services, connections, maps, servers->gcConnection,
                  settings.initialServer, planner ? &planner->binder() : nullptr)
      .Run(groups);
  if (planner) planner->WriteSummary();
  if (settings.complete) {
    // With -fast the domains are searched together, on threads that use the platform's
    // directory directly: the read-ahead one serves the run's own thread only.
    AddDomainLocalGroups(console, services, connections, maps, *servers, settings.initialServer,
                         account.dn, groups, settings.fast ? &platformServices : nullptr);
  }

  WriteRunReport(console, settings, principal, account, groups);
  connections.UnbindAllConnections();
  return 0;
}

}  // namespace nestwalk
