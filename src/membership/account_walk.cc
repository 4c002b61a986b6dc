#include "membership/account_walk.h"

#include <ostream>
#include <utility>

#include "membership/domain_local_groups.h"
#include "membership/nested_expansion.h"
#include "membership/primary_group.h"

namespace nestwalk {

AccountWalk::AccountWalk(ForestSession& session, AccountName name, AccountDomain domain)
    : session_(session),
      name_(std::move(name)),
      domain_(std::move(domain)),
      groups_(session.groupNodes()) {}

DcReady AccountWalk::ForeseeLookup(ForestSession& session, const AccountName& name) {
  return [&session, name](platform::LdapHandle dc, const CRootDSE& dse) {
    WalkStrategy& strategy = session.strategy();
    const std::string& base = dse.defaultNamingContext;
    strategy.ForeseeSearch(
        dc, AccountLookupRequest(base, name.samName, name.kind, session.needs().account));
    if (session.needs().primaryGroup && name.kind != PrincipalKind::kGroup) {
      strategy.ForeseeSearch(dc, DomainSidRequest(base));
    }
  };
}

void AccountWalk::ForeseeLookUp() {
  session_.strategy().ForeseeSearch(
      domain_.dc,
      AccountLookupRequest(domain_.dn, name_.samName, name_.kind, session_.needs().account));
}

bool AccountWalk::LookUp() {
  account_ = GetUserDN(session_.console(), session_.services().directory, domain_.dc, domain_.dn,
                       name_.samName, name_.kind, session_.needs().account);
  if (account_.dn.empty()) return false;
  session_.strategy().ForeseeDirectReads(domain_.dc, session_.servers().gcConnection, account_.dn);
  return true;
}

void AccountWalk::Found(AccountObject account) {
  account_ = std::move(account);
  session_.strategy().ForeseeDirectReads(domain_.dc, session_.servers().gcConnection, account_.dn);
}

// A group has no primary group.
bool AccountWalk::ReadsPrimaryGroup() const {
  return session_.needs().primaryGroup && name_.kind != PrincipalKind::kGroup;
}

void AccountWalk::ReadDirectMemberships() {
  Console& console = session_.console();
  if (ReadsPrimaryGroup()) {
    console.DebugErr("Resolving primaryGroupID to group...\n");
    // A failed resolution has said why and gives no DN, which names no group.
    primaryGroup_ = session_.PrimaryGroupOf(domain_.dc, domain_.dn, account_.primaryGroupID);
    session_.strategy().ForeseeGroup(primaryGroup_);
  }
  TakeOwnReads(console);
  directReads_ = nestwalk::ReadDirectMemberships(
      console, session_.services().directory, domain_.dc, session_.servers().gcConnection,
      account_.dn, groups_, session_.needs().groupSids);
}

void AccountWalk::TakeOwnReads(Console& console) {
  if (ReadsPrimaryGroup()) {
    if (primaryGroup_.empty()) {
      groups_.RecordProblem(account_.dn, "its primary group could not be resolved");
    }
    groups_.AddPrimaryGroup(account_.dn, primaryGroup_);
  }
  for (const ObjectRead& read : directReads_) {
    TakeObjectRead(console, account_.dn, read, groups_, /*skipDetails=*/true);
  }
}

void AccountWalk::ExpandNested() { NestedExpansion(session_).Run(groups_); }

void AccountWalk::AddDomainLocalGroups() {
  nestwalk::AddDomainLocalGroups(session_, account_, groups_);
}

void AccountWalk::Release() { groups_ = GroupDetailsMap(session_.groupNodes()); }

void AccountWalk::Rebuild() {
  std::ostream discarded(nullptr);
  Console silent(discarded, discarded, /*quiet=*/true, /*debug=*/false);
  Release();
  TakeOwnReads(silent);
  NestedExpansion(session_).Expand(groups_);
}

}  // namespace nestwalk
