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

// One domain to search, and for whom.
struct DomainSearch {
  std::string dnsName;
  std::string domainKey;
  std::string baseDn;
  std::vector<std::string> memberDns;
  platform::LdapHandle connection;  // the DC the run holds for the domain; invalid: bind one
};

struct SearchOutcome {
  BoundDomainController bound;  // a DC bound for this search; invalid connection otherwise
  std::vector<FoundDomainLocalGroup> found;
  std::string problem;  // empty when every batch was searched
};

// Searches `connection` for the domain-local groups of one batch of members, appending each
// one found to `found`. Returns the walk's status.
int SearchBatch(Console& console, platform::Directory& directory, platform::LdapHandle connection,
                const std::string& baseDn, std::span<const std::string> batch,
                std::vector<FoundDomainLocalGroup>& found) {
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
        FoundDomainLocalGroup group{entry.dn, {}};
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
// The members of `batch` that the group `groupDn` holds, asked of the group one member at a
// time: what a search cannot tell when the group's member values came ranged.
std::vector<std::string> HeldOneByOne(platform::Directory& directory,
                                      platform::LdapHandle connection, const std::string& groupDn,
                                      std::span<const std::string> batch) {
  std::vector<std::string> held;
  for (const std::string& member : batch) {
    const platform::SearchRequest request{
        .base = groupDn,
        .scope = platform::SearchScope::kBase,
        .filter = "(member=" + platform::EscapeFilterValue(member) + ")",
        .attributes = {"objectClass"},
        .attributesOnly = true,
    };
    const platform::SearchResult result = directory.Search(connection, request);
    if (result.code == platform::kLdapSuccess && !result.entries.empty()) held.push_back(member);
  }
  return held;
}

// Binds a DC when the run has none and searches it batch by batch. Changes no run state.
SearchOutcome SearchDomain(Console& console, platform::Services& services,
                           const std::string& initialServer, const DomainSearch& domain,
                           bool manyAccounts) {
  SearchOutcome outcome;
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
      const std::span<const std::string> batch = members.subspan(first, size);
      const int status =
          SearchBatch(console, services.directory, connection, domain.baseDn, batch, outcome.found);
      console.DebugErr("Domain-local groups in " + domain.dnsName + " holding members " +
                       std::to_string(first + 1) + "-" + std::to_string(first + size) + of +
                       std::to_string(outcome.found.size() - before) + "\n");
      if (status != platform::kLdapSuccess) {
        outcome.problem = "the search failed: " + services.directory.ErrorText(status) + " (" +
                          std::to_string(status) + ")";
        break;
      }
      for (std::size_t i = before; manyAccounts && i < outcome.found.size(); ++i) {
        FoundDomainLocalGroup& group = outcome.found[i];
        if (group.heldMembers.empty()) {
          group.heldMembers = HeldOneByOne(services.directory, connection, group.dn, batch);
        }
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

}  // namespace

std::string DomainLocalGroupsFilter(std::span<const std::string> memberDns) {
  std::string filter = "(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=4)(|";
  for (const std::string& dn : memberDns) {
    filter += "(member=" + platform::EscapeFilterValue(dn) + ")";
  }
  return filter + "))";
}

void DomainLocalSearch::Add(const std::string& accountDn, const GroupDetailsMap& groups) {
  pending_.push_back({accountDn, ""});
  for (const auto& [key, group] : groups.entries()) {
    if (IsGlobalOrUniversal(group.groupType) && addedGroups_.insert(key).second) {
      pending_.push_back({group.dn, DomainOfDn(key)});
    }
  }
}

bool DomainLocalSearch::ListDomains(ForestSession& session) {
  if (domains_) return true;
  const SelectedServers& servers = session.servers();
  const platform::ForestDomainsAnswer answer =
      session.services().locator.EnumerateForestDomains(servers.gcName);
  if (answer.status != 0) {
    const std::string status = std::to_string(answer.status);
    session.console().Err("ERROR: Couldn't list the forest's domains for domain-local groups - " +
                          status + "\n");
    forestName_ = DnToDomainName(servers.dcRootDse.rootDomainNamingContext);
    forestProblem_ = "the forest's domains could not be listed (" + status + ")";
    return false;
  }
  domains_.emplace();
  std::set<std::string, std::less<>> seen;
  for (const std::string& dnsName : answer.dnsNames) {
    std::string name = LowerCaseText(dnsName);
    if (name.empty() || !seen.insert(name).second) continue;
    domains_->push_back({name, LowerCaseText(DomainNameToDn(name)), {}, ""});
  }
  return true;
}

void DomainLocalSearch::Search(ForestSession& session) {
  if (!ListDomains(session)) return;
  std::vector<Domain*> searched;
  std::vector<DomainSearch> searches;
  for (Domain& domain : *domains_) {
    if (!domain.problem.empty()) continue;
    DomainSearch search{domain.dnsName, domain.domainKey, DomainNameToDn(domain.dnsName), {},
                        session.ReadServersOf(domain.domainKey).dc};
    // An account is searched for in its own domain too: memberOf read there has shown those
    // groups already, but it costs no search of its own, and the first batch checks the filter.
    for (const Member& member : pending_) {
      if (member.domainKey != domain.domainKey) search.memberDns.push_back(member.dn);
    }
    if (search.memberDns.empty()) continue;
    searched.push_back(&domain);
    searches.push_back(std::move(search));
  }
  pending_.clear();
  std::vector<SearchOutcome> outcomes(searches.size());
  session.strategy().RunEach(
      session.console(), searches.size(),
      [&](std::size_t index, Console& lines, platform::Services& services) {
        outcomes[index] = SearchDomain(lines, services, session.initialServer(), searches[index],
                                       manyAccounts_);
      },
      [&](std::size_t index) {
        session.TakeDomainController(searches[index].domainKey, outcomes[index].bound);
        Domain& domain = *searched[index];
        for (FoundDomainLocalGroup& group : outcomes[index].found) {
          domain.found.push_back(std::move(group));
        }
        domain.problem = std::move(outcomes[index].problem);
      });
}

void DomainLocalSearch::AddTo(ForestSession& session, const std::string& accountDn,
                              GroupDetailsMap& groups) const {
  if (!forestProblem_.empty()) groups.RecordProblem(forestName_, forestProblem_);
  const std::string accountKey = LowerCaseText(accountDn);
  static const std::vector<Domain> kNone;
  for (const Domain& domain : domains_ ? *domains_ : kNone) {
    for (const FoundDomainLocalGroup& group : domain.found) {
      std::vector<const std::string*> held;
      for (const std::string& member : group.heldMembers) {
        const std::string key = LowerCaseText(member);
        if (key == accountKey || groups.Find(key) != nullptr) held.push_back(&member);
      }
      if (manyAccounts_ && held.empty()) continue;
      groups.AddGroup(group.dn);
      for (const std::string* member : held) groups.AddGroupOf(*member, group.dn);
    }
    if (!domain.problem.empty()) groups.RecordProblem(domain.dnsName, domain.problem);
  }
  // One pass is enough: a domain-local group nests only in domain-local groups of its own
  // domain, and the DC that found it holds their links, so reading the groups found turns up
  // every parent, and none of them can be a member in another domain.
  NestedExpansion(session).Run(groups);
}

void AddDomainLocalGroups(ForestSession& session, const std::string& principalDn,
                          GroupDetailsMap& groups) {
  DomainLocalSearch search(/*manyAccounts=*/false);
  search.Add(principalDn, groups);
  search.Search(session);
  search.AddTo(session, principalDn, groups);
}

}  // namespace nestwalk
