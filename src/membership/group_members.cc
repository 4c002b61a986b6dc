#include "membership/group_members.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "ldap/ldap_error.h"
#include "locate/paged_walk.h"
#include "membership/group_type.h"
#include "membership/member_of_ranges.h"
#include "membership/well_known_sids.h"
#include "platform/filter_escape.h"
#include "platform/sid.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

constexpr int kSizeLimitExceeded = 4;
// Values in one search filter: a filter of a few kilobytes, as AD takes it.
constexpr std::size_t kFilterBatch = 100;
constexpr unsigned kOutbound = 0x2;

bool Has(const std::vector<std::string>* values, std::string_view wanted) {
  return values != nullptr && std::ranges::any_of(*values, [&](const std::string& value) {
           return LowerCaseText(value) == wanted;
         });
}

// The RID of a SID text: what follows its last dash.
std::string RidOf(const std::string& sidText) { return sidText.substr(sidText.rfind('-') + 1); }

// The SID an FSP stands for: its objectSid, else its name (CN=<SID>,...).
std::string ForeignSidOf(const platform::Entry& entry) {
  if (std::optional<std::string> binary = entry.First("objectSid")) {
    if (std::optional<std::string> text = platform::SidToText(*binary)) return *text;
  }
  // The name as the DN spells it; a SID text's letters are upper case.
  std::string sid = entry.dn.substr(entry.dn.find('=') + 1);
  sid = sid.substr(0, sid.find(','));
  for (char& c : sid) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return sid;
}

// "(|(attribute=v1)(attribute=v2)...)" of escaped values.
std::string AnyOf(std::string_view attribute, const std::vector<std::string>& values) {
  std::string filter = "(|";
  for (const std::string& value : values) {
    filter += "(" + std::string(attribute) + "=" + platform::EscapeFilterValue(value) + ")";
  }
  return filter + ")";
}

}  // namespace

platform::SearchRequest MemberDetailsRequest(const std::string& base, const std::string& filter) {
  return platform::SearchRequest{
      .base = base,
      .scope = platform::SearchScope::kSubtree,
      .filter = filter,
      .attributes = {"objectClass", "sAMAccountName", "groupType", "objectSid", "primaryGroupID"},
      .attributesOnly = false,
  };
}

MemberKind KindOfEntry(const platform::Entry& entry) {
  const std::vector<std::string>* classes = entry.Find("objectClass");
  if (Has(classes, "computer")) return MemberKind::kComputer;
  if (Has(classes, "group")) return MemberKind::kGroup;
  if (Has(classes, "foreignsecurityprincipal")) return MemberKind::kForeign;
  if (Has(classes, "user")) return MemberKind::kUser;
  if (Has(classes, "contact")) return MemberKind::kContact;
  return MemberKind::kOther;
}

GroupMembersWalk::GroupMembersWalk(ForestSession& session)
    : session_(session), console_(session.console()) {}

MembersAnswer GroupMembersWalk::Walk(GroupMember group) {
  MembersAnswer answer;
  groupKey_ = LowerCaseText(group.dn);
  answer.group = std::move(group);
  std::vector<std::string> level{groupKey_};
  while (!level.empty()) {
    std::vector<std::string> next;
    ReadLevel(level, answer, next);
    std::ranges::sort(next);
    level = std::move(next);
  }
  return answer;
}

void GroupMembersWalk::ReadLevel(const std::vector<std::string>& level, MembersAnswer& answer,
                                 std::vector<std::string>& next) {
  // The reads of the whole level go out together where the strategy reads ahead.
  WalkStrategy& strategy = session_.strategy();
  for (const std::string& key : level) {
    const platform::LdapHandle dc = session_.ReadServersOf(DomainOfDn(key)).dc;
    if (!dc.valid()) continue;
    strategy.ForeseeSearch(
        dc, MemberDetailsRequest(DomainOfDn(key),
                                 "(memberOf=" + platform::EscapeFilterValue(key) + ")"));
  }
  std::map<std::string, std::vector<MemberValue>> toRead;
  foreign_.clear();
  for (const std::string& key : level) ReadGroup(key, answer, next, toRead);
  ReadPrimaryGroupMembers(level, answer, next);
  ReadMemberValues(toRead, answer, next);
  const std::vector<std::string> foreign = std::move(foreign_);
  foreign_.clear();
  ResolveForeign(foreign, answer, next);
}

void GroupMembersWalk::ReadGroup(const std::string& groupKey, MembersAnswer& answer,
                                 std::vector<std::string>& next,
                                 std::map<std::string, std::vector<MemberValue>>& toRead) {
  console_.DebugErr("Reading the members of " + groupKey + "\n");
  const std::string domainKey = DomainOfDn(groupKey);
  const platform::LdapHandle dc = DcOf(domainKey, answer);
  if (!dc.valid()) return;
  const std::string filter = "(memberOf=" + platform::EscapeFilterValue(groupKey) + ")";
  if (!SearchEach(dc, MemberDetailsRequest(domainKey, filter), [&](const platform::Entry& entry) {
        Take(entry, groupKey, MemberHop::kMember, "", answer, next);
      })) {
    answer.problems.push_back({groupKey, "its members in its own domain could not be searched"});
  }
  // A global group holds members of its own domain only; the others may hold any.
  const std::string groupType =
      groupKey == groupKey_ ? answer.group.groupType : answer.members[groupKey].groupType;
  if (ScopeOfGroupType(groupType) == GroupScope::kGlobal) return;
  const platform::SearchRequest read{.base = groupKey,
                                     .scope = platform::SearchScope::kBase,
                                     .filter = "(objectClass=*)",
                                     .attributes = {"member"},
                                     .attributesOnly = false};
  platform::Directory& directory = session_.services().directory;
  platform::SearchResult result = directory.Search(dc, read);
  if (result.code != platform::kLdapSuccess || result.entries.size() != 1) {
    if (result.code != platform::kLdapSuccess) ReportSearchFailure(console_, directory, result);
    answer.problems.push_back({groupKey, "its member values could not be read"});
    return;
  }
  const MemberOfValues values =
      CollectRangedValues(console_, directory, dc, read, result.entries.front(), "member");
  if (!values.complete) {
    answer.problems.push_back({groupKey, "not all of its member values could be read"});
  }
  for (const std::string& value : values.values) {
    const std::string key = LowerCaseText(value);
    const std::string memberDomain = DomainOfDn(key);
    if (memberDomain.empty() || answer.members.contains(key)) continue;
    toRead[memberDomain].push_back({value, groupKey});
  }
}

void GroupMembersWalk::ReadPrimaryGroupMembers(const std::vector<std::string>& level,
                                               MembersAnswer& answer,
                                               std::vector<std::string>& next) {
  // Only a global or universal group can be a primary group; its RID names it.
  std::map<std::string, std::map<std::string, std::string>> byDomain;  // domain, RID: group key
  for (const std::string& key : level) {
    const GroupMember& group = key == groupKey_ ? answer.group : answer.members[key];
    const GroupScope scope = ScopeOfGroupType(group.groupType);
    if (group.sid.empty() || (scope != GroupScope::kGlobal && scope != GroupScope::kUniversal)) {
      continue;
    }
    byDomain[DomainOfDn(key)].emplace(RidOf(group.sid), key);
  }
  for (const auto& domainGroups : byDomain) {
    // Named, not bound: a lambda below takes them, which clang 14 refuses for bindings.
    const std::string& domainKey = domainGroups.first;
    const std::map<std::string, std::string>& groups = domainGroups.second;
    const platform::LdapHandle dc = DcOf(domainKey, answer);
    if (!dc.valid()) continue;
    std::vector<std::string> rids;
    for (auto group = groups.begin(); group != groups.end();) {
      rids.push_back((group++)->first);
      if (rids.size() < kFilterBatch && group != groups.end()) continue;
      const bool searched =
          SearchEach(dc, MemberDetailsRequest(domainKey, AnyOf("primaryGroupID", rids)),
                     [&](const platform::Entry& entry) {
                       auto parent = groups.find(entry.First("primaryGroupID").value_or(""));
                       if (parent != groups.end()) {
                         Take(entry, parent->second, MemberHop::kPrimary, "", answer, next);
                       }
                     });
      if (!searched) {
        answer.problems.push_back(
            {DnToDomainName(domainKey), "the members of its primary groups could not be searched"});
      }
      rids.clear();
    }
  }
}

void GroupMembersWalk::ReadMemberValues(
    const std::map<std::string, std::vector<MemberValue>>& toRead, MembersAnswer& answer,
    std::vector<std::string>& next) {
  for (const auto& [domainKey, members] : toRead) {
    const platform::LdapHandle dc = DcOf(domainKey, answer);
    if (!dc.valid()) continue;
    std::map<std::string, MemberValue> byKey;
    for (const MemberValue& member : members) byKey.emplace(LowerCaseText(member.dn), member);
    std::vector<std::string> dns;
    for (auto member = byKey.begin(); member != byKey.end();) {
      dns.push_back((member++)->first);
      if (dns.size() < kFilterBatch && member != byKey.end()) continue;
      const bool searched =
          SearchEach(dc, MemberDetailsRequest(domainKey, AnyOf("distinguishedName", dns)),
                     [&](const platform::Entry& entry) {
                       auto value = byKey.find(LowerCaseText(entry.dn));
                       if (value != byKey.end()) {
                         Take(entry, value->second.parentKey, MemberHop::kMember, "", answer, next);
                       }
                     });
      if (!searched) {
        answer.problems.push_back(
            {DnToDomainName(domainKey), "members of groups could not be read by their DN"});
      } else {
        // A member the group names and the caller cannot see would be missing from a whole list.
        for (const std::string& key : dns) {
          if (answer.members.contains(key)) continue;
          answer.problems.push_back(
              {byKey.at(key).dn, "it is named as a member but could not be read"});
        }
      }
      dns.clear();
    }
  }
}

void GroupMembersWalk::ResolveForeign(const std::vector<std::string>& foreign,
                                      MembersAnswer& answer, std::vector<std::string>& next) {
  platform::Directory& directory = session_.services().directory;
  for (const std::string& key : foreign) {
    GroupMember& principal = answer.members[key];
    if (std::optional<std::string> name = WellKnownSidName(principal.sid)) {
      principal.name = *name;
      continue;
    }
    const std::string domainSid = principal.sid.substr(0, principal.sid.rfind('-'));
    const auto& trusted = TrustedDomainsOf(DomainOfDn(key), answer);
    auto domain = trusted.find(domainSid);
    if (domain == trusted.end()) continue;  // no trust claims it: listed as it is
    const std::string domainKey = LowerCaseText(DomainNameToDn(domain->second.dnsName));
    flatNames_.emplace(domainKey, domain->second.flatName);
    const platform::LdapHandle dc = DcOf(domainKey, answer);
    const std::optional<std::string> binary = platform::SidFromText(principal.sid);
    if (!dc.valid() || !binary) continue;
    platform::SearchResult found = directory.Search(
        dc, MemberDetailsRequest(domainKey,
                                 "(objectSid=" + platform::EscapeFilterBytes(*binary) + ")"));
    if (found.code != platform::kLdapSuccess || found.entries.size() != 1) {
      if (found.code != platform::kLdapSuccess) ReportSearchFailure(console_, directory, found);
      answer.problems.push_back(
          {principal.dn, "its account in " + domain->second.dnsName + " could not be found"});
      continue;
    }
    // The account stands where its principal stood.
    const std::string parentKey = principal.parentKey;
    answer.members.erase(key);
    Take(found.entries.front(), parentKey, MemberHop::kForeign, domain->second.dnsName, answer,
         next);
  }
}

void GroupMembersWalk::Take(const platform::Entry& entry, const std::string& parentKey,
                            MemberHop hop, const std::string& forest, MembersAnswer& answer,
                            std::vector<std::string>& next) {
  std::string key = LowerCaseText(entry.dn);
  if (answer.members.contains(key)) return;
  // A cycle that leads back to the group makes it a member of itself, as the directory's own
  // in-chain rule has it; it was read already.
  const bool itself = key == groupKey_;
  GroupMember member{.dn = entry.dn,
                     .kind = KindOfEntry(entry),
                     .name = "",
                     .groupType = entry.First("groupType").value_or(""),
                     .sid = "",
                     .parentKey = parentKey,
                     .hop = hop,
                     .forest = forest};
  if (std::optional<std::string> binary = entry.First("objectSid")) {
    member.sid = platform::SidToText(*binary).value_or("");
  }
  if (member.kind == MemberKind::kForeign) {
    member.sid = ForeignSidOf(entry);
    member.name = member.sid;
    foreign_.push_back(key);
  } else {
    member.name =
        FlatNameOf(DomainOfDn(key)) + "\\" + entry.First("sAMAccountName").value_or(entry.dn);
  }
  if (member.kind == MemberKind::kGroup && !itself) next.push_back(key);
  answer.members.emplace(std::move(key), std::move(member));
}

bool GroupMembersWalk::SearchEach(platform::LdapHandle connection,
                                  const platform::SearchRequest& request,
                                  const std::function<void(const platform::Entry&)>& visit) {
  platform::Directory& directory = session_.services().directory;
  platform::SearchResult result = directory.Search(connection, request);
  if (result.code == platform::kLdapSuccess) {
    for (const platform::Entry& entry : result.entries) visit(entry);
    return true;
  }
  if (result.code != kSizeLimitExceeded) {
    ReportSearchFailure(console_, directory, result);
    return false;
  }
  // More than the server gives at once: the same search, page by page.
  const int status = WalkPagedSearch(console_, directory, connection, request, visit);
  if (status == platform::kLdapSuccess) return true;
  ReportSearchFailure(console_, directory, platform::SearchResult{status, {}});
  return false;
}

platform::LdapHandle GroupMembersWalk::DcOf(const std::string& domainKey, MembersAnswer& answer) {
  const platform::LdapHandle dc = session_.DomainController(domainKey);
  if (!dc.valid()) {
    answer.problems.push_back(
        {DnToDomainName(domainKey), "no DC of " + DnToDomainName(domainKey) + " could be bound"});
  }
  return dc;
}

std::string GroupMembersWalk::FlatNameOf(const std::string& domainKey) {
  auto known = flatNames_.find(domainKey);
  if (known != flatNames_.end()) return known->second;
  std::optional<ForestDomain> domain = session_.DomainAt(domainKey);
  std::string flat = domain ? domain->flatName : DnToDomainName(domainKey);
  return flatNames_[domainKey] = std::move(flat);
}

const std::map<std::string, GroupMembersWalk::TrustedDomain>& GroupMembersWalk::TrustedDomainsOf(
    const std::string& domainKey, MembersAnswer& answer) {
  auto [place, added] = trusts_.try_emplace(domainKey);
  if (!added) return place->second;
  const platform::LdapHandle dc = DcOf(domainKey, answer);
  if (!dc.valid()) return place->second;
  const platform::SearchRequest request{
      .base = "CN=System," + domainKey,
      .scope = platform::SearchScope::kSubtree,
      .filter = "(objectClass=trustedDomain)",
      .attributes = {"flatName", "trustPartner", "trustDirection", "securityIdentifier"},
      .attributesOnly = false,
  };
  platform::Directory& directory = session_.services().directory;
  platform::SearchResult result = directory.Search(dc, request);
  if (result.code != platform::kLdapSuccess) {
    if (result.code != platform::kLdapNoSuchObject) {
      ReportSearchFailure(console_, directory, result);
      answer.problems.push_back({DnToDomainName(domainKey), "its trusts could not be read"});
    }
    return place->second;
  }
  for (const platform::Entry& entry : result.entries) {
    // Principals of a domain this one trusts (outbound) can be members of its groups.
    const std::optional<int> direction = entry.FirstNumber("trustDirection");
    const std::optional<std::string> sid = entry.First("securityIdentifier");
    if (!direction || (static_cast<unsigned>(*direction) & kOutbound) == 0 || !sid) continue;
    if (std::optional<std::string> text = platform::SidToText(*sid)) {
      place->second[*text] = {LowerCaseText(entry.First("trustPartner").value_or("")),
                              entry.First("flatName").value_or("")};
    }
  }
  return place->second;
}

}  // namespace nestwalk
