#include "membership/nested_expansion.h"

#include <algorithm>
#include <utility>

#include "text/dn_names.h"

namespace nestwalk {

std::vector<ObjectRead> ReadDirectMemberships(Console& console, platform::Directory& directory,
                                              platform::LdapHandle dcConnection,
                                              platform::LdapHandle gcConnection,
                                              const std::string& principalDn,
                                              GroupDetailsMap& groups, bool withObjectSid) {
  std::vector<ObjectRead> reads;
  console.DebugErr("Getting direct memberships from default domain...\n");
  reads.push_back(EnumerateMemberships(console, directory, dcConnection, principalDn, groups, true,
                                       withObjectSid));
  console.DebugErr("Getting direct memberships from GC...\n");
  reads.push_back(EnumerateMemberships(console, directory, gcConnection, principalDn, groups, true,
                                       withObjectSid));
  return reads;
}

NestedExpansion::NestedExpansion(ForestSession& session)
    : session_(session), console_(session.console()) {}

void NestedExpansion::Run(GroupDetailsMap& groups) {
  console_.DebugErr("\n\nBase groups loaded, now go after nested groups\n\n");
  Expand(groups);
}

void NestedExpansion::Expand(GroupDetailsMap& groups) {
  // Re-evaluated after every group: one that a read added with a smaller key goes first.
  KeptGroupReads& kept = session_.keptReads();
  for (const std::string* key = groups.FirstUnprocessedGroup(); key != nullptr;
       key = groups.FirstUnprocessedGroup()) {
    if (kept.Has(*key)) {
      kept.Replay(groups);
    } else {
      std::vector<ObjectRead> reads = ReadGroup(*key, groups);
      // A read cut short by a server that stopped answering is not kept: the next account that
      // reaches the group reads it again, on the server that replaced it.
      if (!FellShortOnAServerGivenUp(*key, reads)) kept.Keep(*key, std::move(reads));
      groups.MarkProcessed(*key);
    }
  }
}

std::vector<ObjectRead> NestedExpansion::ReadGroup(const std::string& key,
                                                   GroupDetailsMap& groups) {
  console_.DebugErr("Digging into " + key + "\n");
  std::vector<ObjectRead> reads;
  const std::string domainKey = DomainOfDn(key);
  if (domainKey.empty()) {
    // Without a domain there is no server to ask.
    console_.Err("ERROR: No domain component in " + groups.Find(key)->dn + "\n");
    return reads;
  }
  console_.DebugErr("Domain of DN: " + domainKey + "\n");

  session_.ReplaceGivenUpServers(domainKey);
  const GroupReadServers servers = session_.ReadServersOf(domainKey);
  if (servers.domainGc.valid()) {
    console_.DebugErr("Getting Data from GC of specific domain\n");
    reads.push_back(Read(servers.domainGc, key, groups));
    return reads;
  }
  console_.DebugErr("Get GC Data\n");
  reads.push_back(Read(servers.forestGc, key, groups));

  platform::LdapHandle dc = servers.dc;
  if (!dc.valid()) {
    console_.DebugErr("Didn't find domain in DCLIST MAP, looking for DC...\n");
    dc = session_.BindDomainController(domainKey);
    if (!dc.valid()) {
      const std::string dnsName = DnToDomainName(domainKey);
      console_.Err("ERROR: Can't locate DC for " + dnsName + "\n");
      reads.push_back(FailedRead("no DC of " + dnsName + " could be bound"));
      TakeObjectRead(console_, key, reads.back(), groups, false);
      return reads;
    }
  }
  console_.DebugErr("Get DC Data\n");
  reads.push_back(Read(dc, key, groups));
  return reads;
}

bool NestedExpansion::FellShortOnAServerGivenUp(const std::string& key,
                                                const std::vector<ObjectRead>& reads) const {
  const bool fellShort =
      std::ranges::any_of(reads, [](const ObjectRead& read) { return !read.problem.empty(); });
  return fellShort && session_.AnyGivenUp(session_.ReadServersOf(DomainOfDn(key)));
}

ObjectRead NestedExpansion::Read(platform::LdapHandle connection, const std::string& key,
                                 GroupDetailsMap& groups) {
  return EnumerateMemberships(console_, session_.services().directory, connection, key, groups,
                              false, session_.needs().groupSids);
}

}  // namespace nestwalk
