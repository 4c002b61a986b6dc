// Reading one object's memberOf and details into the run's GroupDetailsMap.
#ifndef NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
#define NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_

#include <string>

#include "membership/group_details.h"
#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The base read EnumerateMemberships makes of the object `dn`: sAMAccountName, memberOf and
// groupType, in that order, then objectSid when `withObjectSid` (the map's readsSids()).
platform::SearchRequest GroupReadRequest(const std::string& dn, bool withObjectSid = false);

// Reads the object `dn` over `connection` (GroupReadRequest, with every range of a ranged
// memberOf) and adds each memberOf DN not yet in `groups` as a pending entry, keeping every
// value as a link from `dn`. Unless `skipDetails` (the object is the principal, which gets no
// entry), the object's own sAMAccountName and groupType ("~~Unknown~~" and "-1" when absent),
// and its objectSid when read, are stored in its entry when it has none yet. Failures write
// their lines on standard error and are recorded as problems of `dn`; a failed search, no entry
// or several add nothing, a broken range adds the values read before it.
void EnumerateMemberships(Console& console, platform::Directory& directory,
                          platform::LdapHandle connection, const std::string& dn,
                          GroupDetailsMap& groups, bool skipDetails);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
