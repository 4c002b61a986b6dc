// From the account's DN to every group it belongs to, directly or through nesting, in any domain
// of the forest: the direct memberships, then the nested phase that reads every group found
// until none is left, binding a DC of each further domain when its first group comes up.
#ifndef NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_
#define NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_

#include <string>
#include <vector>

#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "membership/member_of_reader.h"
#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// Reads the account `principalDn` through `dcConnection`, then through `gcConnection`, adding
// every group that either lists; returns both reads.
std::vector<ObjectRead> ReadDirectMemberships(Console& console, platform::Directory& directory,
                           platform::LdapHandle dcConnection, platform::LdapHandle gcConnection,
                           const std::string& principalDn, GroupDetailsMap& groups,
                           bool withObjectSid = false);

// The nested phase over the servers of a session, which must outlive it.
class NestedExpansion {
 public:
  explicit NestedExpansion(ForestSession& session);

  // Reads the pending group with the smallest key until none is pending; every group is marked
  // processed whatever its reads gave. A group that a walk of the session read before is taken
  // from what that walk kept, without a read and without its lines. Failures write their lines
  // and never stop the phase.
  void Run(GroupDetailsMap& groups);
  // The same without the phase's opening line: a map rebuilt from reads the session kept.
  void Expand(GroupDetailsMap& groups);

 private:
  // Reads the group where the session says its domain's groups are read; returns every read.
  std::vector<ObjectRead> ReadGroup(const std::string& key, GroupDetailsMap& groups);
  ObjectRead Read(platform::LdapHandle connection, const std::string& key, GroupDetailsMap& groups);
  // Whether a read of the group `key` fell short and a server of its domain has been given up.
  bool FellShortOnAServerGivenUp(const std::string& key,
                                 const std::vector<ObjectRead>& reads) const;

  ForestSession& session_;
  Console& console_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_NESTED_EXPANSION_H_
