// The server selection phase: a bound DC of the principal's domain and a bound GC of the
// forest, with their RootDSEs, and the server maps seeded.
#ifndef NESTWALK_LDAP_SERVER_SELECTION_H_
#define NESTWALK_LDAP_SERVER_SELECTION_H_

#include <functional>
#include <optional>
#include <string>

#include "ldap/connection_list.h"
#include "ldap/connection_strategy.h"
#include "ldap/root_dse.h"
#include "ldap/server_maps.h"
#include "platform/console.h"

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

// Called once the DC's RootDSE has been read, to foresee the later phases' first reads over the
// DC's connection while the GC is located.
using DcReady = std::function<void(platform::LdapHandle dcConnection, const CRootDSE& dcRootDse)>;

// Runs the phase, binding and searching through `strategy`. Every handle it opens goes into
// `connections`. On failure it writes the phase's lines and returns nullopt (the run ends with
// -1): after a failed bind or RootDSE read every handle it opened is closed; when no GC is
// located, the open ones are left in `connections`, which closes them without a word when it
// goes. The DC's GC port is foreseen as soon as the DC is known to be a GC, and the GC's RootDSE
// as soon as that port is bound.
std::optional<SelectedServers> SelectServers(Console& console, ConnectionStrategy& strategy,
                                             ConnectionList& connections, ServerMaps& maps,
                                             const std::string& domain,
                                             const std::string& initialServer,
                                             const DcReady& dcReady = {});

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_SERVER_SELECTION_H_
