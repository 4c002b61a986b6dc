#include "driver/run_phases.h"

#include <optional>

#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "ldap/server_selection.h"

namespace nestwalk {

int RunDirectoryPhases(Console& console, platform::Services& services, const RunSettings& settings,
                       const SecurityPrincipal& principal) {
  // Owns every connection of the run; whatever a phase leaves open is closed when it goes.
  ConnectionList connections(console, services.directory);
  ServerMaps maps;
  const std::optional<SelectedServers> servers =
      SelectServers(console, services, connections, maps, principal.domain, settings.initialServer);
  if (!servers) return -1;

  // ---- Membership phases go here: account lookup, primary group, direct memberships, the
  // ---- forest-wide mode, nested expansion and the report.

  connections.UnbindAllConnections();
  return 0;
}

}  // namespace nestwalk
