#include "report/membership_graph.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <functional>

#include "text/case_folding.h"

namespace nestwalk {

namespace {

// The first slot to try for the address `data` in a table of `slots`, a power of two: the
// address's bits mixed (Fibonacci hashing), since nodes lie at multiples of their alignment.
std::size_t SlotOf(const char* data, std::size_t slots) {
  const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(data));
  return static_cast<std::size_t>((address * 0x9E3779B97F4A7C15ULL) >> 32) & (slots - 1);
}

}  // namespace

MembershipGraph::MembershipGraph(const GroupDetailsMap& groups, std::string_view accountDn) {
  groups_.reserve(groups.size());
  byAddress_.resize(std::bit_ceil(2 * groups.size() + 1));
  for (const auto& entry : groups.entries()) {
    std::size_t slot = SlotOf(entry.first.data(), byAddress_.size());
    while (byAddress_[slot].data != nullptr) slot = (slot + 1) & (byAddress_.size() - 1);
    byAddress_[slot] = {entry.first.data(), entry.first.size(), groups_.size()};
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

std::optional<MembershipGraph::Node> MembershipGraph::FindHeld(std::string_view key) const {
  for (std::size_t slot = SlotOf(key.data(), byAddress_.size());
       byAddress_[slot].data != nullptr; slot = (slot + 1) & (byAddress_.size() - 1)) {
    if (byAddress_[slot].data != key.data()) continue;
    if (byAddress_[slot].size != key.size()) break;
    return byAddress_[slot].node;
  }
  return std::nullopt;
}

std::optional<MembershipGraph::Node> MembershipGraph::Find(std::string_view key) const {
  if (const std::optional<Node> held = FindHeld(key)) return held;
  // Another copy of a key: the groups are in key order.
  const auto found = std::ranges::lower_bound(
      groups_, key, std::less<>(), [](const auto* entry) { return std::string_view(entry->first); });
  if (found == groups_.end() || (*found)->first != key) return std::nullopt;
  return static_cast<Node>(found - groups_.begin());
}

std::span<const MembershipGraph::Arc> MembershipGraph::ArcsFrom(Node node) const {
  return std::span<const Arc>(arcs_).subspan(firstArc_[node], firstArc_[node + 1] - firstArc_[node]);
}

std::vector<int> MembershipGraph::Distances(const std::function<bool(Node)>& enters) const {
  std::vector<int> distance(account() + 1, kUnreached);
  distance[account()] = 0;
  std::deque<Node> queue{account()};
  while (!queue.empty()) {
    const Node node = queue.front();
    queue.pop_front();
    for (const Arc& arc : ArcsFrom(node)) {
      if (distance[arc.to] != kUnreached || !enters(arc.to)) continue;
      distance[arc.to] = distance[node] + 1;
      queue.push_back(arc.to);
    }
  }
  return distance;
}

}  // namespace nestwalk
