// Reading one object's memberOf and details into the run's GroupDetailsMap.
#ifndef NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
#define NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_

#include <optional>
#include <string>
#include <vector>

#include "membership/group_details.h"
#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The base read EnumerateMemberships makes of the object `dn`: sAMAccountName, memberOf and
// groupType, in that order, then objectSid when `withObjectSid`.
platform::SearchRequest GroupReadRequest(const std::string& dn, bool withObjectSid = false);

// What one read of an object gave, apart from the map it is taken into, so that it can be taken
// into another account's map later without reading it again.
struct ObjectRead {
  std::optional<GroupDetails> details;  // the entry's own; nullopt when no entry was read
  std::vector<std::string> memberOf;    // every value read, in server order
  std::vector<std::string> memberOfKeys;  // LowerCaseText of each, to take it in without folding
  std::string problem;                  // why the read fell short; empty when it did not
};

// Reads the object `dn` over `connection` (GroupReadRequest, with every range of a ranged
// memberOf), writing the read's lines: failures on standard error, the details in debug mode.
// A failed search, no entry or several give a problem and nothing else; a broken range gives
// the values read before it and a problem.
ObjectRead ReadObject(Console& console, platform::Directory& directory,
                      platform::LdapHandle connection, const std::string& dn, bool withObjectSid);

// A read that gave nothing but `problem`.
ObjectRead FailedRead(std::string problem);

// Takes a read of `dn` into `groups`: its problem recorded under the DN as `groups` spells it,
// its details stored in its entry unless `skipDetails` (the object is the principal, which gets
// no entry) or the entry has some already, every memberOf value added as a pending entry unless
// present and kept as a link from `dn`. Writes what it did in debug mode.
void TakeObjectRead(Console& console, const std::string& dn, const ObjectRead& read,
                    GroupDetailsMap& groups, bool skipDetails);

// ReadObject, then TakeObjectRead; returns the read.
ObjectRead EnumerateMemberships(Console& console, platform::Directory& directory,
                                platform::LdapHandle connection, const std::string& dn,
                                GroupDetailsMap& groups, bool skipDetails,
                                bool withObjectSid = false);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_MEMBER_OF_READER_H_
