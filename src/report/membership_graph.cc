#include "report/membership_graph.h"

#include <deque>

#include "text/case_folding.h"

namespace nestwalk {

MembershipGraph::MembershipGraph(const GroupDetailsMap& groups, std::string_view accountDn) {
  groups_.reserve(groups.size());
  nodes_.reserve(groups.size());
  for (const auto& entry : groups.entries()) {
    nodes_.emplace(entry.first, groups_.size());
    groups_.push_back(&entry);
  }

  const std::string accountKey = LowerCaseText(accountDn);
  struct Resolved {
    Node from;
    Arc arc;
  };
  std::vector<Resolved> resolved;
  resolved.reserve(groups.links().size());
  for (const MembershipLink& link : groups.links()) {
    std::optional<Node> from = link.member == accountKey ? account() : Find(link.member);
    std::optional<Node> to = Find(link.group);
    if (from && to) resolved.push_back({*from, {*to, link.primaryGroup}});
  }

  // Counting sort by the node a link leaves: the arcs of one node stay in the order read. Two
  // slots beyond the node count: counts go one ahead, and the fill moves each start to its end.
  firstArc_.assign(account() + 3, 0);
  for (const Resolved& r : resolved) ++firstArc_[r.from + 2];
  for (std::size_t i = 2; i < firstArc_.size(); ++i) firstArc_[i] += firstArc_[i - 1];
  arcs_.resize(resolved.size());
  for (const Resolved& r : resolved) arcs_[firstArc_[r.from + 1]++] = r.arc;
  firstArc_.pop_back();
}

std::optional<MembershipGraph::Node> MembershipGraph::Find(std::string_view key) const {
  auto it = nodes_.find(key);
  if (it == nodes_.end()) return std::nullopt;
  return it->second;
}

std::span<const MembershipGraph::Arc> MembershipGraph::ArcsFrom(Node node) const {
  return std::span<const Arc>(arcs_).subspan(firstArc_[node], firstArc_[node + 1] - firstArc_[node]);
}

std::vector<int> MembershipGraph::Distances(
    const std::function<bool(const data&)>& enters) const {
  std::vector<int> distance(account() + 1, kUnreached);
  distance[account()] = 0;
  std::deque<Node> queue{account()};
  while (!queue.empty()) {
    const Node node = queue.front();
    queue.pop_front();
    for (const Arc& arc : ArcsFrom(node)) {
      if (distance[arc.to] != kUnreached || !enters(group(arc.to))) continue;
      distance[arc.to] = distance[node] + 1;
      queue.push_back(arc.to);
    }
  }
  return distance;
}

}  // namespace nestwalk
