// One server's RootDSE: its naming contexts, host name, version and functional levels.
#ifndef NESTWALK_LDAP_ROOT_DSE_H_
#define NESTWALK_LDAP_ROOT_DSE_H_

#include <map>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The search that reads a RootDSE, the same wherever it is sent.
platform::SearchRequest RootDseRequest();

class CRootDSE {
 public:
  // An unread RootDSE: every member at its initial value, valid false.
  CRootDSE() = default;
  // Reads the RootDSE over `connection`. On a failed search it writes the search failure lines
  // and closes `connection` (the caller must neither use nor close it again); valid stays false.
  CRootDSE(Console& console, platform::Directory& directory, platform::LdapHandle connection);

  std::string schemaNamingContext;
  std::string configurationNamingContext;
  std::string defaultNamingContext;
  std::string rootDomainNamingContext;
  std::string dnsHostName;
  std::string dsServiceName;
  std::string highestCommittedUsn;
  std::string ldapServiceName;
  std::string serverName;
  bool hasCapabilityIntegration = false;
  bool hasCapabilityActiveDirectory = false;
  bool hasCapabilityV51 = false;
  bool hasCapabilityAdam = false;
  std::string versionName;
  int domainFunctionality = 0;
  int forestFunctionality = 0;
  std::string domainModeName;
  std::string forestModeName;
  int namingContextCount = 0;
  std::vector<std::string> namingContexts;
  std::map<std::string, bool> supportedCapabilities;
  std::string currentTime;
  bool valid = false;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_ROOT_DSE_H_
