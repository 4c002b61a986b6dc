// Reading one object's memberOf and details into the run's GroupDetailsMap.
#ifndef NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
#define NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_

#include <string>

#include "membership/group_details.h"
#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The base read EnumerateMemberships makes of the object `dn`: sAMAccountName, memberOf and
// groupType, in that order.
platform::SearchRequest GroupReadRequest(const std::string& dn);

// Reads the object `dn` over `connection` (a base search for sAMAccountName, memberOf and
// groupType, with every range of a ranged memberOf) and adds each memberOf DN not yet in `groups`
// as a pending entry. Unless `skipDetails` (the object is the principal, which gets no entry),
// the object's own sAMAccountName and groupType ("~~Unknown~~" and "-1" when absent) are stored
// in its entry when it has none yet. Failures write their lines on standard error and add
// nothing.
void EnumerateMemberships(Console& console, platform::Directory& directory,
                          platform::LdapHandle connection, const std::string& dn,
                          GroupDetailsMap& groups, bool skipDetails);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
