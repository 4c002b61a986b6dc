// The servers the run has bound to, per domain.
#ifndef NESTWALK_LDAP_SERVER_MAPS_H_
#define NESTWALK_LDAP_SERVER_MAPS_H_

#include <map>
#include <string>

#include "platform/directory.h"

namespace nestwalk {

struct ldapsrvdata {
  std::string serverName;           // DNS host name, lower case, no leading backslashes
  std::string siteName;             // lower case; empty when the locator gave none
  platform::LdapHandle connection;  // owned by the run's ConnectionList
};

// Keyed by LowerCaseText of the domain's DN.
using DcListMap = std::map<std::string, ldapsrvdata>;
using GcListMap = std::map<std::string, ldapsrvdata>;

struct ServerMaps {
  DcListMap dcByDomain;
  GcListMap gcByDomain;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_SERVER_MAPS_H_
