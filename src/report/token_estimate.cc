#include "report/token_estimate.h"

#include "membership/group_type.h"
#include "text/dn_names.h"

namespace nestwalk {

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace

TokenEstimate EstimateToken(const MembershipGraph& graph, std::string_view accountDn,
                            std::size_t sidHistoryCount) {
  // The scope of each group that can be in a token (a security group whose entry was read),
  // kUnknown for any other: each group's type is read once, not once for every link into it.
  std::vector<GroupScope> scopes(graph.groupCount(), GroupScope::kUnknown);
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    const data& group = graph.group(node);
    const GroupTypeFacts type = ReadGroupType(group.groupType);
    if (!group.sAMAccountName.empty() && type.security) scopes[node] = type.scope;
  }
  const std::vector<int> distance = graph.Distances(
      [&scopes](MembershipGraph::Node node) { return scopes[node] != GroupScope::kUnknown; });
  const std::string accountDomain = DomainOfDn(accountDn);
  TokenEstimate estimate;
  estimate.d = static_cast<int>(sidHistoryCount);
  for (MembershipGraph::Node node = 0; node < graph.groupCount(); ++node) {
    if (distance[node] == MembershipGraph::kUnreached) continue;
    switch (scopes[node]) {
      case GroupScope::kLocal:
        ++estimate.d;
        break;
      case GroupScope::kUniversal:
        ++(DomainOfDn(graph.key(node)) == accountDomain ? estimate.s : estimate.d);
        break;
      case GroupScope::kGlobal:
        ++estimate.s;
        break;
      case GroupScope::kUnknown:
        break;
    }
  }
  return estimate;
}

void WriteTokenEstimate(Console& console, const TokenEstimate& estimate) {
  const std::string d = std::to_string(estimate.d);
  const std::string s = std::to_string(estimate.s);
  console.Out("Token Size Estimate:\n");
  console.Out("  d (domain local, other domains' universal, SID history): " + d + "\n");
  console.Out("  s (global, own domain's universal): " + s + "\n");
  console.Out("  1200 + 40 x " + d + " + 8 x " + s + " = " + std::to_string(estimate.bytes()) +
              " bytes\n");
  console.Out("  over 12000 bytes (the old default MaxTokenSize): " +
              YesNo(estimate.bytes() > kOldMaxTokenSize) + "\n");
  console.Out("  over 48000 bytes (the default MaxTokenSize, the usual HTTP header limit): " +
              YesNo(estimate.bytes() > kMaxTokenSize) + "\n");
  console.Out("  SIDs: " + std::to_string(estimate.sids()) + " of at most " +
              std::to_string(kTokenSidLimit) +
              (estimate.sids() > kTokenSidLimit ? ", over the limit\n" : "\n"));
}

void WriteNoTokenForGroup(Console& console) {
  console.Out("Token Size Estimate: none, a group has no Kerberos token of its own\n");
}

}  // namespace nestwalk
