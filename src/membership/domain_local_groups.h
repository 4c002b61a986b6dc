// The groups that memberOf cannot show: a domain-local group may hold accounts and global or
// universal groups of any domain of the forest, and of trusted forests through their foreign
// security principals, but only the DCs of its own domain hold its member links, so no read that
// the nested expansion makes elsewhere lists it. Searching a DC of every domain of the forest,
// and of every trusting forest, for such groups by their members completes the answer.
#ifndef NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_
#define NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_

#include <cstddef>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "membership/account_lookup.h"
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

// A domain-local group found, with the searched members it holds (empty when its member values
// came ranged and the searched ones were not among the first).
struct FoundDomainLocalGroup {
  std::string dn;
  std::vector<std::string> heldMembers;
};

// The search of every domain of the forest for the domain-local groups that hold accounts, or
// global or universal groups they reach in other domains. It keeps what it searched for and
// found, so that accounts walked later are searched for only with what is new, and what was
// found serves each account it concerns.
class DomainLocalSearch {
 public:
  // `manyAccounts`: members of several accounts may share one search, so each group found is
  // known by the members it holds (a group whose member values came ranged is asked for each
  // member searched); otherwise every group found concerns the one account.
  explicit DomainLocalSearch(bool manyAccounts) : manyAccounts_(manyAccounts) {}

  // The account `accountDn`, whose SIDs (binary: its objectSid and sIDHistory) name it in
  // trusting forests, and every global or universal group of `groups` are to be searched for,
  // each at most once per domain whatever the number of accounts that bring it.
  void Add(const std::string& accountDn, const std::vector<std::string>& accountSids,
           const GroupDetailsMap& groups);
  // Asks the session's GC for the forest's domains (each once, whatever its letter case; the
  // first time only) and searches a DC of each, in the order listed, from the domain's naming
  // context for the members added since the last search: every account in every domain, every
  // group in the domains other than its own. The DC is the one the session holds for the domain,
  // or one located and bound now and taken into the session. The domains are searched as the
  // session's strategy runs a batch (with -fast all at once, each domain's lines written in the
  // order of the domains, so the output is that of the searches one after another). A domain
  // whose DC cannot be bound or whose search fails gets "ERROR: Couldn't search domain-local
  // groups of <dns>: <reason>" and is not searched again; what its searches gave before the
  // failure is kept.
  // Then, the first time, the trusts of every domain searched are read (FindTrustingDomains), and
  // every domain of a forest that trusts the account's is searched the same way for the foreign
  // security principals of the members, "CN=<SID>,CN=ForeignSecurityPrincipals,<domain>": the
  // account's SIDs and each group's objectSid. Its DC is bound with the caller's ticket across
  // the trust and becomes the one server its groups are read at.
  void Search(ForestSession& session);
  // Adds to `groups` every group found that holds the account or one of its groups, with the
  // links that brought it in (a group of a trusting forest noted with its forest), and records
  // the problems of the searches (a domain that could not be searched under its DNS name, a
  // forest whose domains could not be listed under the forest's name, a domain whose trusts could
  // not be read). Then the nested expansion reads the groups added as it reads any other.
  void AddTo(ForestSession& session, const std::string& accountDn,
             GroupDetailsMap& groups) const;

 private:
  struct Member {
    std::string dn;
    std::string domainKey;  // empty for an account: searched for in every domain
    std::vector<std::string> sids;  // binary
  };
  struct Domain {
    std::string dnsName;
    std::string domainKey;  // LowerCaseText of its DN, as the server maps have it
    std::string forest;     // of a trusting forest: its DNS name; empty: the account's forest
    std::vector<FoundDomainLocalGroup> found;
    std::string problem;  // why it could not be searched; it is not searched again
  };

  // Lists the forest's domains the first time; false when they cannot be listed.
  bool ListDomains(ForestSession& session);
  // Searches the domains of `domains_` from `first` on for the pending members.
  void SearchDomains(ForestSession& session, std::size_t first);

  const bool manyAccounts_;
  std::optional<std::vector<Domain>> domains_;
  std::string forestProblem_;     // why the forest's domains could not be listed
  std::string forestName_;        // the subject of that problem
  bool trustsRead_ = false;
  std::vector<ReadProblem> trustProblems_;
  std::vector<Member> pending_;      // added since the last search, in the order added
  std::set<std::string> addedGroups_;  // keys of every group ever added
};

// The account's objectSid (when read) and its sIDHistory: what names it in trusting forests.
std::vector<std::string> AccountSids(const AccountObject& account);

// The one account's search, as the run of a single account makes it: Add, Search and AddTo.
void AddDomainLocalGroups(ForestSession& session, const AccountObject& account,
                          GroupDetailsMap& groups);

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_DOMAIN_LOCAL_GROUPS_H_
