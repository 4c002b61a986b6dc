// Who is in a group: every object that is a member of it directly or through any nesting, in
// every domain of the forest and of the domains its domains trust. The walk goes down level by
// level from the group: each group's members in its own domain with one search of the domain
// (memberOf), those whose primary group it is with one search per domain and level
// (primaryGroupID), members of other domains from the group's member values, read where they
// live in batches, and foreign security principals resolved through the trusts of their domain.
// Every group is read once; a cycle ends where it meets a group read before.
#ifndef NESTWALK_MEMBERSHIP_GROUP_MEMBERS_H_
#define NESTWALK_MEMBERSHIP_GROUP_MEMBERS_H_

#include <map>
#include <string>
#include <vector>

#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "platform/directory.h"

namespace nestwalk {

enum class MemberKind { kUser, kComputer, kGroup, kForeign, kContact, kOther };

// How a member reached the group it was found in.
enum class MemberHop {
  kMember,   // one of the group's member values
  kPrimary,  // the group is its primary group (primaryGroupID), which member never lists
  kForeign,  // through a foreign security principal of the group's domain
};

struct GroupMember {
  std::string dn;
  MemberKind kind = MemberKind::kOther;
  // DOMAIN\sAMAccountName; for a foreign principal not resolved, its well-known name or its SID.
  std::string name;
  std::string groupType;  // of a group
  std::string sid;        // as text; empty when not read
  std::string parentKey;  // the group it was first found in (lower-cased DN): its chain's next hop
  MemberHop hop = MemberHop::kMember;
  std::string forest;  // the trusted domain it was found in; empty: a domain of this forest
};

struct MembersAnswer {
  GroupMember group;                           // the group asked about
  std::map<std::string, GroupMember> members;  // by lower-cased DN
  std::vector<ReadProblem> problems;           // what could not be read, in the order met
};

// The attributes each member is read with.
platform::SearchRequest MemberDetailsRequest(const std::string& base, const std::string& filter);

// What an entry's objectClass values say it is.
MemberKind KindOfEntry(const platform::Entry& entry);

class GroupMembersWalk {
 public:
  // `session` must have connected and outlive the walk.
  explicit GroupMembersWalk(ForestSession& session);

  // Every member of `group` (whose dn, name and groupType are set), through every level of
  // nesting. Failures write their lines and become problems; the walk goes on.
  MembersAnswer Walk(GroupMember group);

 private:
  // A member value of a group that the search by memberOf did not bring: one of another domain,
  // or one whose memberOf the caller may not read (a foreign security principal, to an account
  // of a trusted forest), which is read by its DN.
  struct MemberValue {
    std::string dn;
    std::string parentKey;
  };
  struct TrustedDomain {
    std::string dnsName;
    std::string flatName;
  };

  void ReadLevel(const std::vector<std::string>& level, MembersAnswer& answer,
                 std::vector<std::string>& next);
  // The members of `groupKey` in its own domain, and into `toRead` by their domain, its member
  // values that the search of its domain did not bring.
  void ReadGroup(const std::string& groupKey, MembersAnswer& answer, std::vector<std::string>& next,
                 std::map<std::string, std::vector<MemberValue>>& toRead);
  void ReadPrimaryGroupMembers(const std::vector<std::string>& level, MembersAnswer& answer,
                               std::vector<std::string>& next);
  // Reads the values of `toRead` by their DN; one that cannot be read is a problem.
  void ReadMemberValues(const std::map<std::string, std::vector<MemberValue>>& toRead,
                        MembersAnswer& answer, std::vector<std::string>& next);
  void ResolveForeign(const std::vector<std::string>& foreign, MembersAnswer& answer,
                      std::vector<std::string>& next);
  // Takes a member found in `parentKey`; a group new to the walk goes into `next`, a foreign
  // principal into foreign_.
  void Take(const platform::Entry& entry, const std::string& parentKey, MemberHop hop,
            const std::string& forest, MembersAnswer& answer, std::vector<std::string>& next);
  // Runs `request` over `connection` and hands every entry to `visit`: one search, paged when the
  // server's size limit cuts it short. False after the failure lines.
  bool SearchEach(platform::LdapHandle connection, const platform::SearchRequest& request,
                  const std::function<void(const platform::Entry&)>& visit);
  // A bound DC of `domainKey`, or an invalid handle after a problem is recorded.
  platform::LdapHandle DcOf(const std::string& domainKey, MembersAnswer& answer);
  std::string FlatNameOf(const std::string& domainKey);
  // The domains that `domainKey` trusts, by their domain SID (read once a domain).
  const std::map<std::string, TrustedDomain>& TrustedDomainsOf(const std::string& domainKey,
                                                               MembersAnswer& answer);

  ForestSession& session_;
  Console& console_;
  std::string groupKey_;
  std::map<std::string, std::string> flatNames_;                        // by domain key
  std::map<std::string, std::map<std::string, TrustedDomain>> trusts_;  // by domain key
  std::vector<std::string> foreign_;  // found in the level being read, to resolve after it
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_GROUP_MEMBERS_H_
