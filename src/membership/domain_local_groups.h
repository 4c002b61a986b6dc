// The groups that memberOf cannot show: a domain-local group may hold accounts and global or
// universal groups of any domain of the forest, but only the DCs of its own domain hold its
// member links, so no read that the nested expansion makes elsewhere lists it. Searching a DC
// of every domain for such groups by their members completes the answer.
#ifndef NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_
#define NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_

#include <cstddef>
#include <span>
#include <string>

#include "membership/forest_session.h"
#include "membership/group_details.h"

namespace nestwalk {

// Member values in one search filter. A member DN is seldom longer than 250 bytes, or 750 once
// each byte is escaped, so a filter stays below 75 KB: well inside the smallest request size a
// directory server takes (Samba refuses requests beyond 256000 bytes before the bind, and AD's
// default MaxReceiveBuffer is 10 MB), while 10^4 members still take only a hundred searches.
inline constexpr std::size_t kMembersPerSearch = 100;

// "(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=4)(|(member=<dn>)...))" with
// every DN escaped for the filter.
std::string DomainLocalGroupsFilter(std::span<const std::string> memberDns);

// Runs after the nested expansion. Asks the session's GC for the forest's domains (each once,
// whatever its letter case) and searches a DC of each, in the order listed, from the domain's
// naming context for domain-local groups whose member is `principalDn` or a global or universal
// group of `groups` of another domain than the one searched. The DC is the one the session holds
// for the domain, or one located and bound now and taken into the session. The domains are
// searched as the session's strategy runs a batch (with -fast all at once, each domain's lines
// written in the order of the domains, so the output is that of the searches one after another).
// Every group found that `groups` lacks is added, and then the nested expansion reads the groups
// added as it reads any other. A domain whose DC cannot be bound or whose search fails gets
// "ERROR: Couldn't search domain-local groups of <dns>: <reason>" and a problem recorded in
// `groups` (as does a forest whose domains cannot be listed, under the forest's name); what its
// searches gave before the failure is kept, and the run goes on.
void AddDomainLocalGroups(ForestSession& session, const std::string& principalDn,
                          GroupDetailsMap& groups);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_
