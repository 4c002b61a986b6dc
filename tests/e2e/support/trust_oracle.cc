#include "support/trust_oracle.h"

#include <algorithm>
#include <utility>

namespace nestwalk::e2e {

std::string ForeignPrincipalDn(std::string_view sid, std::string_view baseDn) {
  return "CN=" + std::string(sid) + ",CN=ForeignSecurityPrincipals," + std::string(baseDn);
}

std::set<std::string> SidsOfDomain(const std::set<std::string>& sids, std::string_view domainSid) {
  const std::string prefix = std::string(domainSid) + "-";
  std::set<std::string> ofDomain;
  for (const std::string& sid : sids) {
    if (!sid.starts_with(prefix)) continue;
    const std::string_view rid = std::string_view(sid).substr(prefix.size());
    if (!rid.empty() &&
        std::all_of(rid.begin(), rid.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      ofDomain.insert(sid);
    }
  }
  return ofDomain;
}

TrustOracle::TrustOracle(DirectoryOracle trusted, DirectoryOracle trusting)
    : trusted_(std::move(trusted)), trusting_(std::move(trusting)) {}

std::set<std::string> TrustOracle::ForeignSids(const std::string& dn, bool withPrimaryGroup) const {
  std::set<std::string> sids = {trusted_.SidOf(dn)};
  for (const auto& [key, group] : trusted_.GroupsOf(dn, withPrimaryGroup)) sids.insert(group.sid);
  return SidsOfDomain(sids, trusted_.SidOf(trusted_.BaseDn()));
}

GroupSet TrustOracle::GroupsHoldingForeign(const std::set<std::string>& sids) const {
  GroupSet groups;
  for (const std::string& sid : sids) {
    groups.merge(trusting_.GroupsHolding(ForeignPrincipalDn(sid, trusting_.BaseDn())));
  }
  return groups;
}

GroupSet TrustOracle::TrustingGroupsOf(const std::string& dn, bool withPrimaryGroup) const {
  return GroupsHoldingForeign(ForeignSids(dn, withPrimaryGroup));
}

std::set<std::string> TrustingTokenGroups(const E2eEnvironment& trusting,
                                          const std::string& ccache) {
  const DirectoryOracle asCaller(trusting, ccache);
  return SidsOfDomain(asCaller.TokenGroups(""), asCaller.SidOf(trusting.baseDn));
}

}  // namespace nestwalk::e2e
