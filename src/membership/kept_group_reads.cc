#include "membership/kept_group_reads.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

namespace nestwalk {

bool KeptGroupReads::Has(std::string_view key) const {
  auto it = ids_.find(key);
  return it != ids_.end() && groups_[it->second].kept;
}

void KeptGroupReads::Keep(std::string_view key, std::vector<ObjectRead> reads) {
  Group& group = groups_[Intern(key)];
  if (group.kept) return;
  group.kept = true;
  for (const ObjectRead& read : reads) {
    std::vector<Id>& parents = group.parents.emplace_back();
    // A read without details is taken in for its problem alone.
    if (!read.details) continue;
    parents.reserve(read.memberOf.size());
    for (std::size_t i = 0; i < read.memberOf.size(); ++i) {
      parents.push_back(read.memberOf[i].empty() ? kNoGroup : Intern(read.memberOfKeys[i]));
    }
  }
  readsKept_ += reads.size();
  ++groupsKept_;
  group.reads = std::move(reads);
}

KeptGroupReads::Id KeptGroupReads::Intern(std::string_view key) {
  if (auto it = ids_.find(key); it != ids_.end()) return it->second;
  const Id id = static_cast<Id>(groups_.size());
  Group& group = groups_.emplace_back();
  group.key = key;
  const std::string_view held = group.key;
  ids_.emplace(held, id);
  inKeyOrder_.emplace(held, id);
  ranksStale_ = true;
  return id;
}

void KeptGroupReads::RefreshRanks() {
  if (!ranksStale_) return;
  ranks_.resize(groups_.size());
  std::uint32_t rank = 0;
  for (const auto& [key, id] : inKeyOrder_) ranks_[id] = rank++;
  ranksStale_ = false;
}

KeptGroupReads::Slot& KeptGroupReads::Fresh(Id id) {
  if (slots_.size() <= id) slots_.resize(groups_.size());
  Slot& slot = slots_[id] = Slot();
  slot.replay = replay_;
  return slot;
}

void KeptGroupReads::Replay(GroupDetailsMap& groups) {
  ++replay_;
  // The map as it stands: what is held, processed and pending.
  std::vector<Id> pendingIds;
  for (const auto& [key, entry] : groups.entries()) {
    const Id id = Intern(key);
    Slot& slot = Fresh(id);
    slot.held = true;
    slot.processed = entry.processed;
    slot.hadDetails = !entry.sAMAccountName.empty();
    slot.dn = entry.dn;
    slot.heldKey = key;
    if (!entry.processed) pendingIds.push_back(id);
  }
  slots_.resize(groups_.size());
  RefreshRanks();
  using Ranked = std::pair<std::uint32_t, Id>;
  std::priority_queue<Ranked, std::vector<Ranked>, std::greater<>> pending;
  for (const Id id : pendingIds) pending.push({ranks_[id], id});

  std::vector<Id> added;         // groups new to the map, as reached
  std::vector<Id> heldReplayed;  // groups of the map that were pending
  std::vector<std::pair<Id, Id>> links;
  while (!pending.empty()) {
    const Id id = pending.top().second;
    const Group& group = groups_[id];
    if (!group.kept) break;
    pending.pop();
    Slot& slot = slots_[id];
    for (std::size_t r = 0; r < group.reads.size(); ++r) {
      const ObjectRead& read = group.reads[r];
      if (!read.problem.empty()) groups.RecordProblem(std::string(slot.dn), read.problem);
      if (!read.details) continue;
      // The first details with a name win, as StoreDetails keeps them.
      const bool stored =
          slot.details != nullptr ? !slot.details->sAMAccountName.empty() : slot.hadDetails;
      if (!stored) slot.details = &*read.details;
      for (std::size_t i = 0; i < read.memberOf.size(); ++i) {
        const Id parent = group.parents[r][i];
        if (parent == kNoGroup) continue;
        links.emplace_back(id, parent);
        if (slots_[parent].replay == replay_) continue;
        Slot& reached = Fresh(parent);
        reached.dn = read.memberOf[i];
        added.push_back(parent);
        pending.push({ranks_[parent], parent});
      }
    }
    slot.processed = true;
    if (slot.held) heldReplayed.push_back(id);
  }

  std::ranges::sort(added, [this](Id a, Id b) { return ranks_[a] < ranks_[b]; });
  std::vector<GroupDetailsMap::NewEntry> entries;
  entries.reserve(added.size());
  for (const Id id : added) {
    const Slot& slot = slots_[id];
    entries.push_back({groups_[id].key, slot.dn, slot.details, slot.processed});
  }
  const std::vector<std::string_view> keys = groups.AddEntriesInKeyOrder(entries);
  for (std::size_t i = 0; i < added.size(); ++i) slots_[added[i]].heldKey = keys[i];
  for (const Id id : heldReplayed) {
    const Slot& slot = slots_[id];
    if (slot.details != nullptr) groups.StoreDetails(slot.heldKey, *slot.details);
    groups.MarkProcessed(slot.heldKey);
  }
  std::vector<MembershipLink> held;
  held.reserve(links.size());
  for (const auto& [member, group] : links) {
    held.push_back({slots_[member].heldKey, slots_[group].heldKey, false});
  }
  groups.AddHeldLinks(held);
}

}  // namespace nestwalk
