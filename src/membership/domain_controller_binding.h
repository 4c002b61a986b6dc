// Binding a DC of a further domain during the membership resolution, in two steps: locating and
// binding it, which touches no run state, and taking the bound DC into the run.
#ifndef NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDING_H_
#define NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDING_H_

#include <string>

#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "platform/console.h"
#include "platform/services.h"

namespace nestwalk {

struct BoundDomainController {
  std::string serverName;  // without leading backslashes; empty when the locator found none
  std::string siteName;
  bool isGlobalCatalog = false;
  platform::LdapHandle connection;  // invalid when no connection came about
};

// Locates a DC of the domain `dnsName`, asked of `initialServer` (empty: this machine), and binds
// to it with the caller's credentials, writing the locator's and the connection's lines (and
// "DC: <name>" in debug mode). An empty located name lets the library pick its default server.
// Changes no run state, so it may run on another thread with a console of its own; the caller
// owns a valid returned connection until it hands it to RecordDomainController.
BoundDomainController LocateAndBindDomainController(Console& console, platform::Services& services,
                                                    const std::string& initialServer,
                                                    const std::string& dnsName);

// Takes a bound DC into the run: its connection into `connections`, the server into the DC map
// under `domainKey`, and into the GC map too when the locator said it is a GC.
void RecordDomainController(ConnectionList& connections, ServerMaps& maps,
                            const std::string& domainKey, const BoundDomainController& bound);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_DOMAIN_CONTROLLER_BINDING_H_
