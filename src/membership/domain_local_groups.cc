#include "membership/domain_local_groups.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "ldap/domain_controller_binding.h"
#include "locate/paged_walk.h"
#include "membership/group_type.h"
#include "membership/nested_expansion.h"
#include "platform/filter_escape.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// Only a global or universal group can be a member of a domain-local group of another domain;
// a domain-local group nests in domain-local groups of its own domain only, whose links its
// own domain's DCs hold, so the nested expansion has read those already. A group never read,
// or read without a groupType ("-1"), has no known scope.
bool IsGlobalOrUniversal(const std::string& groupType) {
  const GroupScope scope = ScopeOfGroupType(groupType);
  return scope == GroupScope::kGlobal || scope == GroupScope::kUniversal;
}

struct Member {
  std::string dn;
  std::string domainKey;
};

// One domain to search, and for whom.
struct DomainSearch {
  std::string dnsName;
  std::string domainKey;  // LowerCaseText of its DN, as the server maps have it
  std::string baseDn;
  std::vector<std::string> memberDns;
  platform::LdapHandle connection;  // the DC the run holds for the domain; invalid: bind one
};

// A domain-local group found, with the searched members it holds (empty when its member
// values came ranged and the searched ones were not among the first).
struct FoundGroup {
  std::string dn;
  std::vector<std::string> heldMembers;
};

struct DomainSearchOutcome {
  BoundDomainController bound;  // a DC bound for this search; invalid connection otherwise
  std::vector<FoundGroup> found;
  std::string problem;  // empty when every batch was searched
};

// The forest's domains, each once, lower-cased, in the order the GC lists them; empty after
// the failure line and the problem recorded.
std::vector<std::string> ForestDomains(Console& console, platform::Locator& locator,
                                       const SelectedServers& servers, GroupDetailsMap& groups) {
  const platform::ForestDomainsAnswer answer = locator.EnumerateForestDomains(servers.gcName);
  if (answer.status != 0) {
    const std::string status = std::to_string(answer.status);
    console.Err("ERROR: Couldn't list the forest's domains for domain-local groups - " + status +
                "\n");
    groups.RecordProblem(DnToDomainName(servers.dcRootDse.rootDomainNamingContext),
                         "the forest's domains could not be listed (" + status + ")");
    return {};
  }
  std::vector<std::string> domains;
  std::set<std::string, std::less<>> seen;
  for (const std::string& dnsName : answer.dnsNames) {
    std::string name = LowerCaseText(dnsName);
    if (!name.empty() && seen.insert(name).second) domains.push_back(std::move(name));
  }
  return domains;
}

// Every global or universal group found, with its domain.
std::vector<Member> GlobalAndUniversalGroups(const GroupDetailsMap& groups) {
  std::vector<Member> members;
  for (const auto& [key, group] : groups.entries()) {
    if (IsGlobalOrUniversal(group.groupType)) members.push_back({group.dn, DomainOfDn(key)});
  }
  return members;
}

DomainSearch PlanSearch(const std::string& dnsName, const ForestSession& session,
                        const std::string& principalDn, const std::vector<Member>& groups) {
  DomainSearch search;
  search.dnsName = dnsName;
  search.baseDn = DomainNameToDn(dnsName);
  search.domainKey = LowerCaseText(search.baseDn);
  // The principal is searched for in its own domain too: memberOf read there has shown those
  // groups already, but it costs no search of its own, and the first batch checks the filter.
  search.memberDns.push_back(principalDn);
  for (const Member& group : groups) {
    if (group.domainKey != search.domainKey) search.memberDns.push_back(group.dn);
  }
  search.connection = session.ReadServersOf(search.domainKey).dc;
  return search;
}

// Searches `connection` for the domain-local groups of one batch of members, appending each
// one found to `found`. Returns the walk's status.
int SearchBatch(Console& console, platform::Directory& directory, platform::LdapHandle connection,
                const std::string& baseDn, std::span<const std::string> batch,
                std::vector<FoundGroup>& found) {
  platform::SearchRequest request;
  request.base = baseDn;
  request.scope = platform::SearchScope::kSubtree;
  request.filter = DomainLocalGroupsFilter(batch);
  // Only the members, to know which link brought each group in (for its chain and the token);
  // the nested expansion reads the group's own entry as it reads any other.
  request.attributes = {"member"};
  std::map<std::string, const std::string*, std::less<>> searched;  // lower-cased DN
  for (const std::string& dn : batch) searched.emplace(LowerCaseText(dn), &dn);
  return WalkPagedSearch(
      console, directory, connection, request, [&](const platform::Entry& entry) {
        FoundGroup group{entry.dn, {}};
        if (const std::vector<std::string>* members = entry.Find("member")) {
          for (const std::string& member : *members) {
            if (auto held = searched.find(LowerCaseText(member)); held != searched.end()) {
              group.heldMembers.push_back(*held->second);
            }
          }
        }
        found.push_back(std::move(group));
      });
}

// Binds a DC when the run has none and searches it batch by batch. Changes no run state.
DomainSearchOutcome SearchDomain(Console& console, platform::Services& services,
                                 const std::string& initialServer, const DomainSearch& domain) {
  DomainSearchOutcome outcome;
  platform::LdapHandle connection = domain.connection;
  if (!connection.valid()) {
    outcome.bound = LocateAndBindDomainController(console, services, initialServer, domain.dnsName);
    connection = outcome.bound.connection;
  }
  if (!connection.valid()) {
    outcome.problem = "no domain controller could be bound";
  } else {
    const std::span<const std::string> members(domain.memberDns);
    const std::string of = " of " + std::to_string(members.size()) + ": ";
    for (std::size_t first = 0; first < members.size(); first += kMembersPerSearch) {
      const std::size_t size = std::min(kMembersPerSearch, members.size() - first);
      const std::size_t before = outcome.found.size();
      const int status = SearchBatch(console, services.directory, connection, domain.baseDn,
                                     members.subspan(first, size), outcome.found);
      console.DebugErr("Domain-local groups in " + domain.dnsName + " holding members " +
                       std::to_string(first + 1) + "-" + std::to_string(first + size) + of +
                       std::to_string(outcome.found.size() - before) + "\n");
      if (status != platform::kLdapSuccess) {
        outcome.problem = "the search failed: " + services.directory.ErrorText(status) + " (" +
                          std::to_string(status) + ")";
        break;
      }
    }
    console.DebugErr("Domain-local groups in " + domain.dnsName + ": " +
                     std::to_string(outcome.found.size()) + "\n");
  }
  if (!outcome.problem.empty()) {
    console.Err("ERROR: Couldn't search domain-local groups of " + domain.dnsName + ": " +
                outcome.problem + "\n");
  }
  return outcome;
}

void TakeIntoRun(const DomainSearch& domain, const DomainSearchOutcome& outcome,
                 ForestSession& session, GroupDetailsMap& groups) {
  session.TakeDomainController(domain.domainKey, outcome.bound);
  for (const FoundGroup& group : outcome.found) {
    groups.AddGroup(group.dn);
    for (const std::string& member : group.heldMembers) groups.AddGroupOf(member, group.dn);
  }
  if (!outcome.problem.empty()) groups.RecordProblem(domain.dnsName, outcome.problem);
}

}  // namespace

std::string DomainLocalGroupsFilter(std::span<const std::string> memberDns) {
  std::string filter = "(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=4)(|";
  for (const std::string& dn : memberDns) {
    filter += "(member=" + platform::EscapeFilterValue(dn) + ")";
  }
  return filter + "))";
}

void AddDomainLocalGroups(ForestSession& session, const std::string& principalDn,
                          GroupDetailsMap& groups) {
  Console& console = session.console();
  const std::vector<std::string> domains =
      ForestDomains(console, session.services().locator, session.servers(), groups);
  const std::vector<Member> members = GlobalAndUniversalGroups(groups);
  std::vector<DomainSearch> searches;
  for (const std::string& dnsName : domains) {
    searches.push_back(PlanSearch(dnsName, session, principalDn, members));
  }
  std::vector<DomainSearchOutcome> outcomes(searches.size());
  session.strategy().RunEach(
      console, searches.size(),
      [&](std::size_t index, Console& lines, platform::Services& services) {
        outcomes[index] = SearchDomain(lines, services, session.initialServer(), searches[index]);
      },
      [&](std::size_t index) { TakeIntoRun(searches[index], outcomes[index], session, groups); });
  // One pass is enough: a domain-local group nests only in domain-local groups of its own
  // domain, and the DC that found it holds their links, so reading the groups found turns up
  // every parent, and none of them can be a member in another domain.
  NestedExpansion(session).Run(groups);
}

}  // namespace nestwalk
