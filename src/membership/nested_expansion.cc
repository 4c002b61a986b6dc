#include "membership/nested_expansion.h"

#include <utility>

#include "membership/domain_controller_binding.h"
#include "membership/member_of_reader.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

std::string DomainOfDn(std::string_view dn) {
  std::string lower = LowerCaseText(dn);
  std::size_t start = lower.find("dc=");
  if (start == std::string::npos) return {};
  return lower.substr(start);
}

void ReadDirectMemberships(Console& console, platform::Directory& directory,
                           platform::LdapHandle dcConnection, platform::LdapHandle gcConnection,
                           const std::string& principalDn, GroupDetailsMap& groups) {
  console.DebugErr("Getting direct memberships from default domain...\n");
  EnumerateMemberships(console, directory, dcConnection, principalDn, groups, true);
  console.DebugErr("Getting direct memberships from GC...\n");
  EnumerateMemberships(console, directory, gcConnection, principalDn, groups, true);
}

NestedExpansion::NestedExpansion(Console& console, platform::Services& services,
                                 ConnectionList& connections, ServerMaps& maps,
                                 platform::LdapHandle gcConnection, std::string initialServer,
                                 DomainControllerBinder* binder)
    : console_(console),
      services_(services),
      connections_(connections),
      maps_(maps),
      gcConnection_(gcConnection),
      inlineBinder_(services, std::move(initialServer)),
      binder_(binder != nullptr ? *binder : inlineBinder_) {}

void NestedExpansion::Run(GroupDetailsMap& groups) {
  console_.DebugErr("\n\nBase groups loaded, now go after nested groups\n\n");
  // Re-evaluated after every group: one that a read added with a smaller key goes first.
  for (const std::string* key = groups.FirstUnprocessedGroup(); key != nullptr;
       key = groups.FirstUnprocessedGroup()) {
    ReadGroup(*key, groups);
    groups.MarkProcessed(*key);
  }
}

void NestedExpansion::ReadGroup(const std::string& key, GroupDetailsMap& groups) {
  platform::Directory& directory = services_.directory;
  console_.DebugErr("Digging into " + key + "\n");
  const std::string domainKey = DomainOfDn(key);
  if (domainKey.empty()) {
    // Without a domain there is no server to ask.
    console_.Err("ERROR: No domain component in " + groups.Find(key)->dn + "\n");
    return;
  }
  console_.DebugErr("Domain of DN: " + domainKey + "\n");

  if (auto gc = maps_.gcList.find(domainKey); gc != maps_.gcList.end()) {
    console_.DebugErr("Getting Data from GC of specific domain\n");
    EnumerateMemberships(console_, directory, gc->second.connection, key, groups, false);
    return;
  }
  console_.DebugErr("Get GC Data\n");
  EnumerateMemberships(console_, directory, gcConnection_, key, groups, false);

  platform::LdapHandle dc;
  if (auto known = maps_.dcList.find(domainKey); known != maps_.dcList.end()) {
    dc = known->second.connection;
  } else {
    console_.DebugErr("Didn't find domain in DCLIST MAP, looking for DC...\n");
    const std::string dnsName = DnToDomainName(domainKey);
    dc = BindDomainController(domainKey, dnsName);
    if (!dc.valid()) {
      // No line end: the failures of one domain's groups run together on one line.
      console_.Err("ERROR: Can't locate DC for " + dnsName);
      groups.RecordProblem(groups.Find(key)->dn, "no DC of " + dnsName + " could be bound");
      return;
    }
  }
  console_.DebugErr("Get DC Data\n");
  EnumerateMemberships(console_, directory, dc, key, groups, false);
}

platform::LdapHandle NestedExpansion::BindDomainController(const std::string& domainKey,
                                                           const std::string& dnsName) {
  const BoundDomainController bound = binder_.Bind(console_, dnsName);
  if (bound.connection.valid()) RecordDomainController(connections_, maps_, domainKey, bound);
  return bound.connection;
}

}  // namespace nestwalk
