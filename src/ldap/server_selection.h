// The server selection phase: a bound DC of the principal's domain and a bound GC of the
// forest, with their RootDSEs, and the server maps seeded.
#ifndef NESTWALK_LDAP_SERVER_SELECTION_H_
#define NESTWALK_LDAP_SERVER_SELECTION_H_

#include <optional>
#include <string>

#include "ldap/connection_list.h"
#include "ldap/root_dse.h"
#include "ldap/server_maps.h"
#include "platform/console.h"
#include "platform/services.h"

namespace nestwalk {

struct SelectedServers {
  platform::LdapHandle dcConnection;
  platform::LdapHandle gcConnection;
  CRootDSE dcRootDse;
  CRootDSE gcRootDse;
  std::string dcName;  // without leading backslashes
  std::string dcSite;
  std::string gcName;
  std::string gcSite;
};

// Runs the phase. Every handle it opens goes into `connections`. On failure it writes the
// phase's lines and returns nullopt (the run ends with -1): after a failed bind or RootDSE read
// every handle it opened is closed; when no GC is located, the open ones are left in
// `connections`, which closes them without a word when it goes.
std::optional<SelectedServers> SelectServers(Console& console, platform::Services& services,
                                             ConnectionList& connections, ServerMaps& maps,
                                             const std::string& domain,
                                             const std::string& initialServer);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_SERVER_SELECTION_H_
