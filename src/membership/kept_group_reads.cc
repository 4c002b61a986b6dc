#include "membership/kept_group_reads.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

namespace nestwalk {

bool KeptGroupReads::Has(std::string_view key) const {
  auto it = ids_.find(key);
  return it != ids_.end() && index_[it->second].kept;
}

void KeptGroupReads::Keep(std::string_view key, std::vector<ObjectRead> reads) {
  const Id id = Intern(key);
  if (index_[id].kept) return;
  const std::vector<ObjectRead>& held = kept_.emplace_back(std::move(reads));
  index_[id] = {.kept = true,
                .firstRead = static_cast<std::uint32_t>(reads_.size()),
                .readCount = static_cast<std::uint32_t>(held.size())};
  for (const ObjectRead& read : held) {
    KeptRead& kept = reads_.emplace_back();
    if (!read.problem.empty()) kept.problem = &read.problem;
    // A read without details is taken in for its problem alone.
    if (!read.details) continue;
    kept.details = &*read.details;
    kept.firstValue = static_cast<std::uint32_t>(values_.size());
    kept.valueCount = static_cast<std::uint32_t>(read.memberOf.size());
    for (std::size_t i = 0; i < read.memberOf.size(); ++i) {
      const Id group = read.memberOf[i].empty() ? kNoGroup : Intern(read.memberOfKeys[i]);
      values_.push_back({group, &read.memberOf[i]});
    }
  }
  ++groupsKept_;
}

KeptGroupReads::Id KeptGroupReads::Intern(std::string_view key) {
  if (auto it = ids_.find(key); it != ids_.end()) return it->second;
  const Id id = static_cast<Id>(keys_.size());
  const std::string_view held = keys_.emplace_back(key);
  index_.emplace_back();
  ids_.emplace(held, id);
  inKeyOrder_.emplace(held, id);
  ranksStale_ = true;
  return id;
}

void KeptGroupReads::RefreshRanks() {
  if (!ranksStale_) return;
  ranks_.resize(keys_.size());
  std::uint32_t rank = 0;
  for (const auto& [key, id] : inKeyOrder_) ranks_[id] = rank++;
  ranksStale_ = false;
}

KeptGroupReads::Slot& KeptGroupReads::Fresh(Id id) {
  if (slots_.size() <= id) slots_.resize(keys_.size());
  Slot& slot = slots_[id] = Slot();
  slot.replay = replay_;
  return slot;
}

void KeptGroupReads::Replay(GroupDetailsMap& groups) {
  ++replay_;
  walked_.Clear();
  WalkKept(groups, TakeMapState(groups), walked_);
  TakeWalkedInto(groups, walked_);
}

std::vector<KeptGroupReads::Id> KeptGroupReads::TakeMapState(const GroupDetailsMap& groups) {
  std::vector<Id> pending;
  for (const auto& [key, entry] : groups.entries()) {
    const Id id = Intern(key);
    Slot& slot = Fresh(id);
    slot.held = true;
    slot.processed = entry.processed;
    slot.hadDetails = !entry.sAMAccountName.empty();
    slot.dn = entry.dn;
    slot.heldKey = key;
    if (!entry.processed) pending.push_back(id);
  }
  // Sized for every group now: the walk interns none, so no slot moves under it.
  slots_.resize(keys_.size());
  RefreshRanks();
  return pending;
}

void KeptGroupReads::WalkKept(GroupDetailsMap& groups, const std::vector<Id>& pendingIds,
                              Walked& walked) {
  using Ranked = std::pair<std::uint32_t, Id>;
  std::priority_queue<Ranked, std::vector<Ranked>, std::greater<>> pending;
  for (const Id id : pendingIds) pending.push({ranks_[id], id});
  while (!pending.empty()) {
    const Id id = pending.top().second;
    const GroupIndex& group = index_[id];
    if (!group.kept) return;
    pending.pop();
    Slot& slot = slots_[id];
    for (std::uint32_t r = group.firstRead; r < group.firstRead + group.readCount; ++r) {
      const KeptRead& read = reads_[r];
      if (read.problem != nullptr) groups.RecordProblem(std::string(slot.dn), *read.problem);
      if (read.details == nullptr) continue;
      // The first details with a name win, as StoreDetails keeps them.
      const bool stored =
          slot.details != nullptr ? !slot.details->sAMAccountName.empty() : slot.hadDetails;
      if (!stored) slot.details = read.details;
      for (std::uint32_t v = read.firstValue; v < read.firstValue + read.valueCount; ++v) {
        const KeptValue& value = values_[v];
        if (value.group == kNoGroup) continue;
        walked.links.emplace_back(id, value.group);
        if (slots_[value.group].replay == replay_) continue;
        Fresh(value.group).dn = *value.dn;
        walked.added.push_back(value.group);
        pending.push({ranks_[value.group], value.group});
      }
    }
    slot.processed = true;
    if (slot.held) walked.heldProcessed.push_back(id);
  }
}

void KeptGroupReads::TakeWalkedInto(GroupDetailsMap& groups, Walked& walked) {
  std::ranges::sort(walked.added, [this](Id a, Id b) { return ranks_[a] < ranks_[b]; });
  std::vector<GroupDetailsMap::NewEntry>& entries = walked.entries;
  for (const Id id : walked.added) {
    const Slot& slot = slots_[id];
    entries.push_back({keys_[id], slot.dn, slot.details, slot.processed});
  }
  groups.AddEntriesInKeyOrder(entries);
  for (std::size_t i = 0; i < entries.size(); ++i) slots_[walked.added[i]].heldKey = entries[i].key;
  for (const Id id : walked.heldProcessed) {
    const Slot& slot = slots_[id];
    if (slot.details != nullptr) groups.StoreDetails(slot.heldKey, *slot.details);
    groups.MarkProcessed(slot.heldKey);
  }
  std::vector<MembershipLink>& links = walked.heldLinks;
  for (const auto& [member, group] : walked.links) {
    links.push_back({slots_[member].heldKey, slots_[group].heldKey, false});
  }
  groups.AddHeldLinks(links);
}

}  // namespace nestwalk
