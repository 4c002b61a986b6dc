// Walking one account through a forest session: its lookup, its primary group, its direct
// memberships, the nested expansion and, when the session reads them, the domain-local groups of
// other domains. What the session has bound and read serves every account it walks.
#ifndef NESTWALK_MEMBERSHIP_ACCOUNT_WALK_H_
#define NESTWALK_MEMBERSHIP_ACCOUNT_WALK_H_

#include <string>
#include <vector>

#include "ldap/server_selection.h"
#include "membership/account_lookup.h"
#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "membership/member_of_reader.h"
#include "membership/principal_kind.h"

namespace nestwalk {

// The account as the directory knows it by name.
struct AccountName {
  PrincipalKind kind = PrincipalKind::kUser;
  std::string samName;  // a computer's ends in "$"
};

// The account's domain: its naming context and a bound DC of it.
struct AccountDomain {
  std::string dn;
  platform::LdapHandle dc;
};

class AccountWalk {
 public:
  // `session` must outlive the walk and have connected.
  AccountWalk(ForestSession& session, AccountName name, AccountDomain domain);

  // What the session's strategy may send ahead while the GC is located, once the DC of the
  // account's domain is known: the account's lookup and its domain's SID.
  static DcReady ForeseeLookup(ForestSession& session, const AccountName& name);
  // The account's lookup, which the strategy may send now.
  void ForeseeLookUp();

  // Finds the account (GetUserDN); false, after the lookup's lines, when it is not found.
  bool LookUp();
  // Takes the account as a search of its domain found it, with what the lookup reads, instead.
  void Found(AccountObject account);
  // The primary group when the session reads it, then the account's memberOf through the DC
  // and through the forest's GC.
  void ReadDirectMemberships();
  // The nested expansion.
  void ExpandNested();
  // The domain-local groups of other domains that hold the account or its groups, searched
  // for this account alone.
  void AddDomainLocalGroups();

  // Drops the groups, keeping what the account's own reads gave; Rebuild makes them again from
  // those and the group reads the session kept, without a read and without a line.
  void Release();
  void Rebuild();

  const AccountDomain& domain() const { return domain_; }
  const AccountObject& account() const { return account_; }
  const GroupDetailsMap& groups() const { return groups_; }
  GroupDetailsMap& groups() { return groups_; }

 private:
  bool ReadsPrimaryGroup() const;
  // Takes what the account's own reads gave into `groups_`; writes to `console`.
  void TakeOwnReads(Console& console);

  ForestSession& session_;
  AccountName name_;
  AccountDomain domain_;
  AccountObject account_;
  std::string primaryGroup_;            // empty: none read, or none resolved
  std::vector<ObjectRead> directReads_;  // the account's own, through the DC and the GC
  GroupDetailsMap groups_;
};

}  // namespace nestwalk

#endif  // NESTWALK_MEMBERSHIP_ACCOUNT_WALK_H_
