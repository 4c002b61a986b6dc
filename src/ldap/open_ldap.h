// Opening, configuring and binding one LDAP connection.
#ifndef NESTWALK_LDAP_OPEN_LDAP_H_
#define NESTWALK_LDAP_OPEN_LDAP_H_

#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// OpenLdapRequest::port values that select a port by role (389 or 636, 3268 or 3269 over SSL);
// a value above these is a port number.
inline constexpr int kDefaultPortSelector = 0;
inline constexpr int kGlobalCatalogPortSelector = 1;

// The arguments of OpenLDAP, in their traditional order.
struct OpenLdapRequest {
  std::optional<std::string> server;
  int port = kDefaultPortSelector;
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

// Returns a bound handle, or an invalid one after writing why (after a failed bind, the
// directory's reason indented on a line of its own when it has one); a connection it opened but
// could not bind is closed before it returns. The caller appends a returned handle to the run's
// ConnectionList at once.
platform::LdapHandle OpenLDAP(Console& console, platform::Directory& directory,
                              const OpenLdapRequest& request);

// The one profile the program itself uses: version 3, bound with the caller's own credentials.
// DC connections pass `referrals` false (a chased referral would not reuse the negotiate bind);
// GC connections keep the library's default. Returns as OpenLDAP does.
platform::LdapHandle OpenWithCallerCredentials(Console& console, platform::Directory& directory,
                                               const std::string& server, int portSelector,
                                               bool referrals);

// The GC port of `server` in that profile, referrals left to the library; returns as OpenLDAP.
platform::LdapHandle OpenGlobalCatalogPort(Console& console, platform::Directory& directory,
                                           const std::string& server);

// The credentials of a negotiate bind as `account`: "domain\\user" names both (the user is
// what follows the first backslash, up to a second one); a name without a backslash
// (user@dns.domain) is the user alone.
platform::ExplicitCredentials CredentialsOf(const std::string& account, std::string password);

// Cuts ":port" off `server` and returns the port (at most six digits read), 0 when none.
int SplitHostPort(std::string& server);

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_OPEN_LDAP_H_
