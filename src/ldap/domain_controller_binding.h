// Locating and binding a DC of a further domain during the membership resolution.
#ifndef NESTWALK_LDAP_DOMAIN_CONTROLLER_BINDING_H_
#define NESTWALK_LDAP_DOMAIN_CONTROLLER_BINDING_H_

#include <string>

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
// "DC: <name>" in debug mode). When the locator found none nothing is opened.
// Changes no run state, so it may run on another thread with a console of its own; the caller
// owns a valid returned connection.
BoundDomainController LocateAndBindDomainController(Console& console, platform::Services& services,
                                                    const std::string& initialServer,
                                                    const std::string& dnsName);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_DOMAIN_CONTROLLER_BINDING_H_
