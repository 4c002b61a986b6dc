#include "membership/account_walk.h"

#include <utility>

#include "membership/domain_local_groups.h"
#include "membership/nested_expansion.h"
#include "membership/primary_group.h"

namespace nestwalk {

AccountWalk::AccountWalk(ForestSession& session, AccountName name, AccountDomain domain)
    : session_(session), name_(std::move(name)), domain_(std::move(domain)) {}

DcReady AccountWalk::ForeseeLookup(ForestSession& session, const AccountName& name) {
  return [&session, name](platform::LdapHandle dc, const CRootDSE& dse) {
    WalkStrategy& strategy = session.strategy();
    const std::string& base = dse.defaultNamingContext;
    strategy.ForeseeSearch(
        dc, AccountLookupRequest(base, name.samName, name.kind, session.needs().account));
    if (session.needs().primaryGroup) strategy.ForeseeSearch(dc, DomainSidRequest(base));
  };
}

bool AccountWalk::LookUp() {
  account_ = GetUserDN(session_.console(), session_.services().directory, domain_.dc, domain_.dn,
                       name_.samName, name_.kind, session_.needs().account);
  if (account_.dn.empty()) return false;
  session_.strategy().ForeseeDirectReads(domain_.dc, session_.servers().gcConnection, account_.dn);
  return true;
}

void AccountWalk::ReadDirectMemberships() {
  Console& console = session_.console();
  platform::Directory& directory = session_.services().directory;
  if (session_.needs().primaryGroup) {
    console.DebugErr("Resolving primaryGroupID to group...\n");
    // A failed resolution has said why and gives no DN, which names no group.
    const std::string primaryGroup =
        GetPrimaryGroupDN(console, directory, domain_.dc, domain_.dn, account_.primaryGroupID);
    if (primaryGroup.empty()) {
      groups_.RecordProblem(account_.dn, "its primary group could not be resolved");
    }
    session_.strategy().ForeseeGroup(primaryGroup);
    groups_.AddPrimaryGroup(account_.dn, primaryGroup);
  }
  nestwalk::ReadDirectMemberships(console, directory, domain_.dc, session_.servers().gcConnection,
                                  account_.dn, groups_, session_.needs().groupSids);
}

void AccountWalk::ExpandNested() {
  NestedExpansion(session_).Run(groups_);
  session_.strategy().WriteSummary(session_.console());
  if (session_.needs().domainLocalGroups) AddDomainLocalGroups(session_, account_.dn, groups_);
}

}  // namespace nestwalk
