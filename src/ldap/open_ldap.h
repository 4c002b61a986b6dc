// Opening, configuring and binding one LDAP connection.
#ifndef NESTWALK_LDAP_OPEN_LDAP_H_
#define NESTWALK_LDAP_OPEN_LDAP_H_

#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The arguments of OpenLDAP, in their traditional order. port: 0 the default port, 1 the global
// catalog port, above 1 that port.
struct OpenLdapRequest {
  std::optional<std::string> server;
  int port = 0;
  bool referrals = false;
  bool version3 = false;
  bool anonymous = false;
  std::string userDn;
  std::string password;
  bool simple = false;
  bool encrypt = false;
  bool extendedErrorInfo = false;
  bool secure = false;
  bool delegation = false;
};

// Returns a bound handle, or an invalid one after writing why; a connection it opened but could
// not bind is closed before it returns. The caller appends a returned handle to the run's
// ConnectionList at once.
platform::LdapHandle OpenLDAP(Console& console, platform::Directory& directory,
                              const OpenLdapRequest& request);

// Cuts ":port" off `server` and returns the port (at most six digits read), 0 when none.
int SplitHostPort(std::string& server);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_OPEN_LDAP_H_
