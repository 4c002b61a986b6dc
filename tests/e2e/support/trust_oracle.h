// What a trusting forest says about the groups that hold an account of a forest it trusts,
// found without the program. A group of the trusting forest holds a foreign account or group
// through its foreign security principal, CN=<SID>,CN=ForeignSecurityPrincipals,<domain NC>;
// the in-chain rule over that DN on the trusting forest's DC follows the nesting from there.
// Samba computes no tokenGroups for a foreign security principal; the RootDSE's tokenGroups of
// a bind as the account itself is the trusting DC's own answer (TrustingTokenGroups).
// A failed search is a test failure (ADD_FAILURE) and yields an empty answer.
#ifndef NESTWALK_TESTS_E2E_SUPPORT_TRUST_ORACLE_H_
#define NESTWALK_TESTS_E2E_SUPPORT_TRUST_ORACLE_H_

#include <set>
#include <string>
#include <string_view>

#include "support/directory_oracle.h"
#include "support/e2e_environment.h"

namespace nestwalk::e2e {

// CN=<sid>,CN=ForeignSecurityPrincipals,<baseDn>
std::string ForeignPrincipalDn(std::string_view sid, std::string_view baseDn);

// The SIDs of `sids` that name an account or group of the domain `domainSid`: that SID and one
// more sub-authority, the RID.
std::set<std::string> SidsOfDomain(const std::set<std::string>& sids, std::string_view domainSid);

class TrustOracle {
 public:
  // `trusted` searches the account's forest, `trusting` the forest whose groups hold it; each
  // binds as it was made.
  TrustOracle(DirectoryOracle trusted, DirectoryOracle trusting);

  // The SIDs the account at `dn` of the trusted forest brings along: its own and those of every
  // group of its domain that holds it (its primary group and what holds that, when asked).
  std::set<std::string> ForeignSids(const std::string& dn, bool withPrimaryGroup) const;
  // The trusting forest's groups that hold the foreign security principal of one of `sids`,
  // directly or through nesting.
  GroupSet GroupsHoldingForeign(const std::set<std::string>& sids) const;
  // GroupsHoldingForeign(ForeignSids(dn, withPrimaryGroup)).
  GroupSet TrustingGroupsOf(const std::string& dn, bool withPrimaryGroup) const;

 private:
  DirectoryOracle trusted_;
  DirectoryOracle trusting_;
};

// The SIDs of groups of the trusting domain in the token its DC builds for the holder of the
// ticket in `ccache`: Samba puts there the groups that hold the caller's foreign security
// principals, nesting included, whether or not the caller may read them.
std::set<std::string> TrustingTokenGroups(const E2eEnvironment& trusting,
                                          const std::string& ccache);

}  // namespace nestwalk::e2e

#endif  // NESTWALK_TESTS_E2E_SUPPORT_TRUST_ORACLE_H_
