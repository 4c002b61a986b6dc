// The shortest chain of memberships from the account to each group, worked out after the walk
// from what it read: -path shows it after each report line, the JSON report lists it.
#ifndef NESTWALK_REPORT_MEMBERSHIP_CHAINS_H_
#define NESTWALK_REPORT_MEMBERSHIP_CHAINS_H_

#include <string>
#include <vector>

#include "report/membership_graph.h"

namespace nestwalk {

struct MembershipChain {
  std::vector<MembershipGraph::Node> groups;  // nearest first, the group asked about last
  bool viaPrimaryGroup = false;  // the first hop is the account's primary group link
};

// Among chains of one length, each group's predecessor is the one with the smallest key (the
// account only ever precedes the groups of its first hop), so the answer never depends on the
// order of the reads. Views `graph`, which must outlive it. Linear in groups and links.
class MembershipChains {
 public:
  explicit MembershipChains(const MembershipGraph& graph);

  // The chain to the group node `group`; no groups when no chain leads there.
  MembershipChain ChainTo(MembershipGraph::Node group) const;
  // The same into `chain`, whose memory is reused.
  void ChainTo(MembershipGraph::Node group, MembershipChain& chain) const;

  // A chain hop by hop, from the group back: whether one leads to `group`; the group before it
  // on its chain (the account's node for its first hop); for a first hop, whether the chain
  // enters it through the primary group link.
  bool Reaches(MembershipGraph::Node group) const {
    return distance_[group] != MembershipGraph::kUnreached;
  }
  MembershipGraph::Node Previous(MembershipGraph::Node group) const { return previous_[group]; }
  bool EntersByPrimaryGroup(MembershipGraph::Node firstHop) const { return primaryOnly_[firstHop]; }

 private:
  const MembershipGraph& graph_;
  std::vector<int> distance_;
  std::vector<MembershipGraph::Node> previous_;
  std::vector<bool> primaryOnly_;  // of a first-hop group: every link to it is the primary one
};

// A group's name on a chain: its sAMAccountName, or its DN when it has none or was never read.
const std::string& ChainName(const data& group);

// "alice -> Staff -> All", the primary group hop written "=primary=>" and a hop into a group of a
// trusting forest, through the foreign security principal of its member, "=foreign=>"; empty for
// an empty chain (none leads to the group).
std::string ChainText(const MembershipGraph& graph, const MembershipChain& chain,
                      const std::string& accountName);

// "      via: alice -> Staff -> All\n" (ChainText);
// "      via: (no chain recorded)\n" when none leads to `group`.
std::string ChainLine(const MembershipGraph& graph, const MembershipChains& chains,
                      MembershipGraph::Node group, const std::string& accountName);

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_MEMBERSHIP_CHAINS_H_
