// From the account's DN to every group it belongs to, directly or through nesting, in any domain
// of the forest: the direct memberships, then the nested phase that reads every group found
// until none is left, binding a DC of each further domain when its first group comes up.
#ifndef NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_
#define NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_

#include <string>
#include <string_view>

#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "membership/domain_controller_binder.h"
#include "membership/group_details.h"
#include "platform/console.h"
#include "platform/directory.h"
#include "platform/services.h"

namespace nestwalk {

// The domain key of a DN: the lower-cased DN from its first "dc=" on ("dc=emea,dc=corp,dc=com");
// empty when it has none.
std::string DomainOfDn(std::string_view dn);

// Reads the account `principalDn` through `dcConnection`, then through `gcConnection`, adding
// every group that either lists.
void ReadDirectMemberships(Console& console, platform::Directory& directory,
                           platform::LdapHandle dcConnection, platform::LdapHandle gcConnection,
                           const std::string& principalDn, GroupDetailsMap& groups);

// The nested phase. Holds references to the run's state, which must outlive it.
class NestedExpansion {
 public:
  // `gcConnection` is the forest's GC; `initialServer` is the machine whose locator is asked
  // (empty: this one). Connections it binds go into `connections` and `maps`. DCs of further
  // domains come from `binder` (not owned; nullptr: bound when their first group comes up).
  NestedExpansion(Console& console, platform::Services& services, ConnectionList& connections,
                  ServerMaps& maps, platform::LdapHandle gcConnection, std::string initialServer,
                  DomainControllerBinder* binder = nullptr);

  // Reads the pending group with the smallest key until none is pending; every group is marked
  // processed whatever its reads gave. Failures write their lines and never stop the phase.
  void Run(GroupDetailsMap& groups);

 private:
  void ReadGroup(const std::string& key, GroupDetailsMap& groups);
  // Locates and binds a DC of the domain `domainKey` and records it; an invalid handle when no
  // connection came about.
  platform::LdapHandle BindDomainController(const std::string& domainKey,
                                            const std::string& dnsName);

  Console& console_;
  platform::Services& services_;
  ConnectionList& connections_;
  ServerMaps& maps_;
  platform::LdapHandle gcConnection_;
  InlineDomainControllerBinder inlineBinder_;
  DomainControllerBinder& binder_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_
