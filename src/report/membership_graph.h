// The memberships a run read, as a graph over the account and the groups of a GroupDetailsMap:
// the questions asked after the walk (shortest chains, the groups of a token) run over it.
#ifndef NESTWALK_REPORT_MEMBERSHIP_GRAPH_H_
#define NESTWALK_REPORT_MEMBERSHIP_GRAPH_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "membership/group_details.h"

namespace nestwalk {

class MembershipGraph {
 public:
  using Node = std::size_t;
  struct Arc {
    Node to;
    bool primaryGroup;  // the account's primary group link
  };
  static constexpr int kUnreached = -1;

  // Views `groups`, which must outlive the graph and not change while it lives. Links from the
  // key of `accountDn` leave the account node, also when a group of the map has that key (a
  // group principal in a membership cycle: links into it reach the group node). Linear in the
  // number of groups and links.
  MembershipGraph(const GroupDetailsMap& groups, std::string_view accountDn);

  // Nodes 0 to groupCount() - 1 are the groups in key order; the account comes after them.
  std::size_t groupCount() const { return groups_.size(); }
  Node account() const { return groups_.size(); }
  const std::string& key(Node group) const { return groups_[group]->first; }
  const data& group(Node group) const { return groups_[group]->second; }
  // The group node of `key`, or nullopt. Fastest for a key that views the map's own.
  std::optional<Node> Find(std::string_view key) const;

  // Every link read from `node`, duplicates included, in the order read.
  std::span<const Arc> ArcsFrom(Node node) const;

  // The number of links on a shortest chain from the account to every node (the account's own
  // entry is 0; kUnreached where no chain leads), following only links into group nodes for
  // which `enters` holds. One breadth-first pass.
  std::vector<int> Distances(const std::function<bool(Node)>& enters) const;

 private:
  // The node of a key by the address of its characters: the links view the map's own keys, and
  // so do most callers, so that a key is found without hashing or comparing its text.
  struct KeyAddress {
    const char* data = nullptr;  // nullptr: a free slot
    std::size_t size = 0;
    Node node = 0;
  };
  std::optional<Node> FindHeld(std::string_view key) const;

  std::vector<const GroupDetailsMap::Entries::value_type*> groups_;
  std::vector<KeyAddress> byAddress_;  // open addressing, a power of two slots, half used at most
  std::vector<std::size_t> firstArc_;  // node i's arcs are arcs_[firstArc_[i], firstArc_[i + 1])
  std::vector<Arc> arcs_;
};

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_MEMBERSHIP_GRAPH_H_
