#include "report/membership_chains.h"

#include <algorithm>

namespace nestwalk {

MembershipChains::MembershipChains(const MembershipGraph& graph)
    : graph_(graph),
      distance_(graph.Distances([](MembershipGraph::Node) { return true; })),
      previous_(distance_.size(), graph.account()),
      primaryOnly_(distance_.size(), true) {
  std::vector<bool> hasPrevious(distance_.size(), false);
  for (MembershipGraph::Node from = 0; from < distance_.size(); ++from) {
    if (distance_[from] == MembershipGraph::kUnreached) continue;
    for (const MembershipGraph::Arc& arc : graph.ArcsFrom(from)) {
      if (distance_[arc.to] != distance_[from] + 1) continue;
      if (!hasPrevious[arc.to] || from < previous_[arc.to]) previous_[arc.to] = from;
      hasPrevious[arc.to] = true;
      if (from == graph.account() && !arc.primaryGroup) primaryOnly_[arc.to] = false;
    }
  }
}

MembershipChain MembershipChains::ChainTo(MembershipGraph::Node group) const {
  MembershipChain chain;
  ChainTo(group, chain);
  return chain;
}

void MembershipChains::ChainTo(MembershipGraph::Node group, MembershipChain& chain) const {
  chain.groups.clear();
  chain.viaPrimaryGroup = false;
  if (distance_[group] == MembershipGraph::kUnreached) return;
  for (MembershipGraph::Node node = group; node != graph_.account(); node = previous_[node]) {
    chain.groups.push_back(node);
  }
  std::reverse(chain.groups.begin(), chain.groups.end());
  chain.viaPrimaryGroup = primaryOnly_[chain.groups.front()];
}

const std::string& ChainName(const data& group) {
  if (group.sAMAccountName.empty() || group.sAMAccountName == kUnknownAccountName) return group.dn;
  return group.sAMAccountName;
}

std::string ChainText(const MembershipGraph& graph, const MembershipChain& chain,
                      const std::string& accountName) {
  if (chain.groups.empty()) return {};
  std::string text = accountName;
  for (std::size_t i = 0; i < chain.groups.size(); ++i) {
    const data& group = graph.group(chain.groups[i]);
    const bool acrossTrust =
        !group.forest.empty() && (i == 0 || graph.group(chain.groups[i - 1]).forest.empty());
    if (i == 0 && chain.viaPrimaryGroup) {
      text += " =primary=> ";
    } else {
      text += acrossTrust ? " =foreign=> " : " -> ";
    }
    text += ChainName(group);
  }
  return text;
}

std::string ChainLine(const MembershipGraph& graph, const MembershipChains& chains,
                      MembershipGraph::Node group, const std::string& accountName) {
  const std::string text = ChainText(graph, chains.ChainTo(group), accountName);
  return "      via: " + (text.empty() ? "(no chain recorded)" : text) + "\n";
}

}  // namespace nestwalk
