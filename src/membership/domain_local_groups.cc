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
#include "membership/trusting_domains.h"
#include "platform/filter_escape.h"
#include "platform/sid.h"
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

// One domain to search, and for whom: each member as the domain's groups name it (its DN, or
// in a trusting forest the DN of its foreign security principal), and its own DN.
struct DomainSearch {
  std::string dnsName;
  std::string domainKey;
  std::string baseDn;
  std::vector<std::string> memberValues;
  std::vector<std::string> memberDns;
  platform::LdapHandle connection;  // the DC the run holds for the domain; invalid: bind one
};

// How the groups of `domainDn` name the foreign security principal of the binary SID `sid`.
std::optional<std::string> ForeignPrincipalDn(const std::string& sid, const std::string& domainDn) {
  std::optional<std::string> text = platform::SidToText(sid);
  if (!text) return std::nullopt;
  return "CN=" + *text + ",CN=ForeignSecurityPrincipals," + domainDn;
}

struct SearchOutcome {
  BoundDomainController bound;  // a DC bound for this search; invalid connection otherwise
  std::vector<FoundDomainLocalGroup> found;
  std::string problem;  // empty when every batch was searched
};

// Searches `connection` for the domain-local groups of one batch of members (`values` as the
// groups name them, `dns` their own DNs), appending each one found to `found` with the DNs of
// the members it holds. Returns the walk's status.
int SearchBatch(Console& console, platform::Directory& directory, platform::LdapHandle connection,
                const std::string& baseDn, std::span<const std::string> values,
                std::span<const std::string> dns, std::vector<FoundDomainLocalGroup>& found) {
  platform::SearchRequest request;
  request.base = baseDn;
  request.scope = platform::SearchScope::kSubtree;
  request.filter = DomainLocalGroupsFilter(values);
  // Only the members, to know which link brought each group in (for its chain and the token);
  // the nested expansion reads the group's own entry as it reads any other.
  request.attributes = {"member"};
  std::map<std::string, const std::string*, std::less<>> searched;  // lower-cased value
  for (std::size_t i = 0; i < values.size(); ++i)
    searched.emplace(LowerCaseText(values[i]), &dns[i]);
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
// The DNs of the members of a batch that the group `groupDn` holds, asked of the group one member
// at a time: what a search cannot tell when the group's member values came ranged.
std::vector<std::string> HeldOneByOne(platform::Directory& directory,
                                      platform::LdapHandle connection, const std::string& groupDn,
                                      std::span<const std::string> values,
                                      std::span<const std::string> dns) {
  std::vector<std::string> held;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const platform::SearchRequest request{
        .base = groupDn,
        .scope = platform::SearchScope::kBase,
        .filter = "(member=" + platform::EscapeFilterValue(values[i]) + ")",
        .attributes = {"objectClass"},
        .attributesOnly = true,
    };
    const platform::SearchResult result = directory.Search(connection, request);
    if (result.code == platform::kLdapSuccess && !result.entries.empty()) held.push_back(dns[i]);
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
    const std::span<const std::string> values(domain.memberValues);
    const std::span<const std::string> dns(domain.memberDns);
    const std::string of = " of " + std::to_string(values.size()) + ": ";
    for (std::size_t first = 0; first < values.size(); first += kMembersPerSearch) {
      const std::size_t size = std::min(kMembersPerSearch, values.size() - first);
      const std::size_t before = outcome.found.size();
      const std::span<const std::string> batch = values.subspan(first, size);
      const std::span<const std::string> batchDns = dns.subspan(first, size);
      const int status = SearchBatch(console, services.directory, connection, domain.baseDn, batch,
                                     batchDns, outcome.found);
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
          group.heldMembers =
              HeldOneByOne(services.directory, connection, group.dn, batch, batchDns);
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

std::vector<std::string> AccountSids(const AccountObject& account) {
  std::vector<std::string> sids;
  if (!account.objectSid.empty()) sids.push_back(account.objectSid);
  sids.insert(sids.end(), account.sIDHistory.begin(), account.sIDHistory.end());
  return sids;
}

std::string DomainLocalGroupsFilter(std::span<const std::string> memberDns) {
  std::string filter = "(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=4)(|";
  for (const std::string& dn : memberDns) {
    filter += "(member=" + platform::EscapeFilterValue(dn) + ")";
  }
  return filter + "))";
}

void DomainLocalSearch::Add(const std::string& accountDn,
                            const std::vector<std::string>& accountSids,
                            const GroupDetailsMap& groups) {
  pending_.push_back({accountDn, "", accountSids});
  for (const auto& [key, group] : groups.entries()) {
    // A group of a trusting forest is no member anywhere outside its own domain.
    if (IsGlobalOrUniversal(group.groupType) && group.forest.empty() &&
        addedGroups_.insert(key).second) {
      pending_.push_back({group.dn, DomainOfDn(key), {group.objectSid}});
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
    domains_->push_back({name, LowerCaseText(DomainNameToDn(name)), "", {}, ""});
  }
  return true;
}

void DomainLocalSearch::Search(ForestSession& session) {
  if (!ListDomains(session)) return;
  const std::size_t forestDomains = domains_->size();
  SearchDomains(session, 0);
  if (!trustsRead_) {
    trustsRead_ = true;
    // A domain that could not be searched cannot be asked for its trusts either.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < forestDomains; ++i) {
      if ((*domains_)[i].problem.empty()) names.push_back((*domains_)[i].dnsName);
    }
    for (TrustingDomain& trusting : FindTrustingDomains(session, names, trustProblems_)) {
      domains_->push_back({trusting.dnsName,
                           LowerCaseText(DomainNameToDn(trusting.dnsName)),
                           std::move(trusting.forest),
                           {},
                           ""});
    }
  }
  SearchDomains(session, forestDomains);
  pending_.clear();
}

void DomainLocalSearch::SearchDomains(ForestSession& session, std::size_t first) {
  std::vector<Domain*> searched;
  std::vector<DomainSearch> searches;
  for (std::size_t i = first; i < domains_->size(); ++i) {
    Domain& domain = (*domains_)[i];
    if (!domain.problem.empty()) continue;
    const std::string baseDn = DomainNameToDn(domain.dnsName);
    DomainSearch search{domain.dnsName,
                        domain.domainKey,
                        baseDn,
                        {},
                        {},
                        session.ReadServersOf(domain.domainKey).dc};
    for (const Member& member : pending_) {
      if (!domain.forest.empty()) {
        for (const std::string& sid : member.sids) {
          if (std::optional<std::string> value = ForeignPrincipalDn(sid, baseDn)) {
            search.memberValues.push_back(std::move(*value));
            search.memberDns.push_back(member.dn);
          }
        }
      } else if (member.domainKey != domain.domainKey) {
        // An account is searched for in its own domain too: memberOf read there has shown those
        // groups already, but it costs no search of its own, and the first batch checks the
        // filter.
        search.memberValues.push_back(member.dn);
        search.memberDns.push_back(member.dn);
      }
    }
    if (search.memberValues.empty()) continue;
    searched.push_back(&domain);
    searches.push_back(std::move(search));
  }
  std::vector<SearchOutcome> outcomes(searches.size());
  session.strategy().RunEach(
      session.console(), searches.size(),
      [&](std::size_t index, Console& lines, platform::Services& services) {
        outcomes[index] =
            SearchDomain(lines, services, session.initialServer(), searches[index], manyAccounts_);
      },
      [&](std::size_t index) {
        Domain& domain = *searched[index];
        if (domain.forest.empty()) {
          session.TakeDomainController(domain.domainKey, outcomes[index].bound);
        } else {
          session.TakeTrustingDomainController(domain.domainKey, outcomes[index].bound);
        }
        for (FoundDomainLocalGroup& group : outcomes[index].found) {
          domain.found.push_back(std::move(group));
        }
        domain.problem = std::move(outcomes[index].problem);
      });
}

void DomainLocalSearch::AddTo(ForestSession& session, const std::string& accountDn,
                              GroupDetailsMap& groups) const {
  if (!forestProblem_.empty()) groups.RecordProblem(forestName_, forestProblem_);
  for (const ReadProblem& problem : trustProblems_) {
    groups.RecordProblem(problem.subject, problem.reason);
  }
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
      if (!domain.forest.empty()) groups.SetForest(LowerCaseText(group.dn), domain.forest);
      for (const std::string* member : held) groups.AddGroupOf(*member, group.dn);
    }
    if (!domain.problem.empty()) groups.RecordProblem(domain.dnsName, domain.problem);
  }
  // One pass is enough: a domain-local group nests only in domain-local groups of its own
  // domain, and the DC that found it holds their links, so reading the groups found turns up
  // every parent, and none of them can be a member in another domain.
  NestedExpansion(session).Run(groups);
}

void AddDomainLocalGroups(ForestSession& session, const AccountObject& account,
                          GroupDetailsMap& groups) {
  DomainLocalSearch search(/*manyAccounts=*/false);
  search.Add(account.dn, AccountSids(account), groups);
  search.Search(session);
  search.AddTo(session, account.dn, groups);
}

}  // namespace nestwalk
