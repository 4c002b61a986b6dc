// Naming an account's primary group (GetPrimaryGroupDN), which memberOf never lists: the
// domain's SID plus the account's primaryGroupID is the group's SID.
#ifndef NESTWALK_MEMBERSHIP_PRIMARY_GROUP_H_
#define NESTWALK_MEMBERSHIP_PRIMARY_GROUP_H_

#include <string>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// The filter that finds the group whose objectSid is the binary SID `sid`.
std::string PrimaryGroupFilter(const std::string& sid);

// The read of the domain object's objectSid that GetPrimaryGroupDN starts with.
platform::SearchRequest DomainSidRequest(const std::string& base);

// Reads the objectSid of the domain object `base` over `connection`, appends the RID
// `primaryGroupID` and searches the subtree `base` for the group with that SID. Returns its DN,
// or an empty text after one or more lines on standard error when any step fails (no domain
// object or objectSid, a SID that does not convert, no such group, a failed search).
std::string GetPrimaryGroupDN(Console& console, platform::Directory& directory,
                              platform::LdapHandle connection, const std::string& base,
                              const std::string& primaryGroupID);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_PRIMARY_GROUP_H_
