#include "driver/members_run.h"

#include <optional>
#include <string>

#include "driver/read_needs.h"
#include "membership/counted_search.h"
#include "membership/forest_session.h"
#include "membership/group_members.h"
#include "platform/filter_escape.h"
#include "platform/sid.h"
#include "report/members_report.h"
#include "text/case_folding.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

// The group as its domain's DC finds it; nullopt after an error line.
std::optional<GroupMember> FindGroup(Console& console, ForestSession& session,
                                     const std::string& named) {
  std::string base;
  std::string filter = "(objectClass=*)";
  platform::SearchScope scope = platform::SearchScope::kBase;
  std::string domainKey;
  const std::size_t slash = named.find('\\');
  if (slash != std::string::npos) {
    std::optional<ForestDomain> domain = session.DomainNamed(named.substr(0, slash));
    if (!domain) return std::nullopt;
    base = domain->dn;
    domainKey = LowerCaseText(domain->dn);
    scope = platform::SearchScope::kSubtree;
    filter = "(&(objectCategory=group)(sAMAccountName=" +
             platform::EscapeFilterValue(named.substr(slash + 1)) + "))";
  } else {
    base = named;
    domainKey = DomainOfDn(LowerCaseText(named));
  }
  const platform::LdapHandle dc = session.DomainController(domainKey);
  if (!dc.valid()) {
    console.Err("ERROR: No domain controller of " + DnToDomainName(domainKey) + " for " + named +
                "\n");
    return std::nullopt;
  }
  platform::SearchRequest request = MemberDetailsRequest(base, filter);
  request.scope = scope;
  std::optional<std::vector<platform::Entry>> entries =
      CountedSearch(console, session.services().directory, dc, request);
  if (!entries) return std::nullopt;
  if (entries->size() != 1) {
    console.Err("ERROR: Couldn't find group " + named + "\n");
    return std::nullopt;
  }
  const platform::Entry& entry = entries->front();
  if (KindOfEntry(entry) != MemberKind::kGroup) {
    console.Err("ERROR: " + entry.dn + " is not a group\n");
    return std::nullopt;
  }
  std::optional<ForestDomain> domain = session.DomainAt(domainKey);
  GroupMember group{.dn = entry.dn,
                    .kind = MemberKind::kGroup,
                    .name = (domain ? domain->flatName : DnToDomainName(domainKey)) + "\\" +
                            entry.First("sAMAccountName").value_or(entry.dn),
                    .groupType = entry.First("groupType").value_or(""),
                    .sid = "",
                    .parentKey = "",
                    .hop = MemberHop::kMember,
                    .forest = ""};
  if (std::optional<std::string> binary = entry.First("objectSid")) {
    group.sid = platform::SidToText(*binary).value_or("");
  }
  return group;
}

// The flat domain of the group named, or the DNS name of a DN's domain, for server selection.
std::string DomainToConnect(const std::string& named) {
  const std::size_t slash = named.find('\\');
  if (slash != std::string::npos) return named.substr(0, slash);
  return DnToDomainName(DomainOfDn(named));
}

}  // namespace

int RunMembersOf(Console& console, platform::Platform& platform, const RunSettings& settings) {
  const std::string& named = settings.membersOf;
  if (named.find('\\') == std::string::npos && DomainOfDn(named).empty()) {
    console.Err("Error: -members needs domain\\group or a group's DN: " + named + "\n");
    return -1;
  }
  ForestSession session(console, platform,
                        settings.fast ? WalkPace::kReadAhead : WalkPace::kOneReadAtATime,
                        ReadNeedsOf(settings), settings.initialServer);
  if (!session.Connect(DomainToConnect(named))) return -1;
  std::optional<GroupMember> group = FindGroup(console, session, named);
  if (!group) {
    session.Close();
    return -1;
  }
  const MembersAnswer answer = GroupMembersWalk(session).Walk(std::move(*group));
  if (settings.json) {
    console.Document(MembersJson(answer));
  } else if (settings.csv) {
    console.Document(MembersCsv(answer, settings.path));
  } else {
    console.Out(MembersText(answer, settings.path));
  }
  if (!answer.problems.empty()) {
    console.Err("WARNING: " + std::to_string(answer.problems.size()) +
                (answer.problems.size() == 1 ? " read" : " reads") +
                " fell short; the list of members may be incomplete\n");
  }
  session.Close();
  return 0;
}

}  // namespace nestwalk
