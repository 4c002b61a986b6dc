// The server selection phase: a bound DC of the principal's domain and a bound GC of the
// forest, with their RootDSEs, and the server maps seeded.
#ifndef NESTWALK_LDAP_SERVER_SELECTION_H_
#define NESTWALK_LDAP_SERVER_SELECTION_H_

#include <functional>
#include <optional>
#include <string>

#include "ldap/connection_list.h"
#include "ldap/read_ahead_directory.h"
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

// Work that -fast does ahead in this phase: the GC port of a DC that is also a GC is bound on
// a thread of its own (through `threadDirectory`, which takes calls from several threads) while
// the DC is bound and its RootDSE read, and once taken the GC's RootDSE is sent ahead over it
// through `readAhead` while the GC is located. Both must outlive the call.
struct SelectionAhead {
  ReadAheadDirectory& readAhead;
  platform::Directory& threadDirectory;
  // Called once the DC's RootDSE has been read, to send the later phases' first reads ahead
  // over the DC's connection while the GC is located; may be empty.
  std::function<void(platform::LdapHandle dcConnection, const CRootDSE& dcRootDse)> dcReady;
};

// Runs the phase. Every handle it opens goes into `connections`. On failure it writes the
// phase's lines and returns nullopt (the run ends with -1): after a failed bind or RootDSE read
// every handle it opened is closed; when no GC is located, the open ones are left in
// `connections`, which closes them without a word when it goes. With `ahead` (-fast) the lines
// and the outcome are the same; a GC port bound ahead that the phase does not take is closed
// without a word.
std::optional<SelectedServers> SelectServers(Console& console, platform::Services& services,
                                             ConnectionList& connections, ServerMaps& maps,
                                             const std::string& domain,
                                             const std::string& initialServer,
                                             const SelectionAhead* ahead = nullptr);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_SERVER_SELECTION_H_
