#include "membership/group_details.h"

#include <tuple>
#include <utility>

#include "text/case_folding.h"

namespace nestwalk {

namespace {

void StoreInto(data& group, const GroupDetails& details) {
  group.sAMAccountName.assign(details.sAMAccountName);
  group.groupType.assign(details.groupType);
  group.objectSid.assign(details.objectSid);
}

}  // namespace

GroupDetailsMap::~GroupDetailsMap() { GiveNodesBack(); }

GroupDetailsMap& GroupDetailsMap::operator=(GroupDetailsMap&& other) {
  if (this == &other) return *this;
  GiveNodesBack();
  pool_ = other.pool_;
  entries_ = std::move(other.entries_);
  memberKeys_ = std::move(other.memberKeys_);
  pending_ = std::move(other.pending_);
  problems_ = std::move(other.problems_);
  problemsSeen_ = std::move(other.problemsSeen_);
  links_ = std::move(other.links_);
  return *this;
}

void GroupDetailsMap::GiveNodesBack() {
  if (pool_ == nullptr) return;
  // The views go before the keys they view.
  links_.clear();
  pending_.clear();
  while (!entries_.empty() && pool_->nodes_.size() < GroupNodePool::kMostNodes) {
    pool_->nodes_.push_back(entries_.extract(entries_.begin()));
  }
}

bool GroupDetailsMap::AddGroup(const std::string& dn) {
  if (dn.empty()) return false;
  return AddKeyedGroup(LowerCaseText(dn), dn).second;
}

std::pair<const std::string*, bool> GroupDetailsMap::AddKeyedGroup(std::string key,
                                                                   const std::string& dn) {
  auto [it, added] = entries_.try_emplace(std::move(key));
  if (added) {
    it->second.dn = dn;
    pending_.insert(it->first);
  }
  return {&it->first, added};
}

std::string_view GroupDetailsMap::HeldKey(const std::string& key) {
  if (auto entry = entries_.find(key); entry != entries_.end()) return entry->first;
  return *memberKeys_.insert(key).first;
}

bool GroupDetailsMap::AddGroupOf(const std::string& memberDn, const std::string& dn) {
  return AddLinkedGroup(LowerCaseText(memberDn), LowerCaseText(dn), dn, false);
}

bool GroupDetailsMap::AddGroupOfKeys(const std::string& memberKey, const std::string& key,
                                     const std::string& dn) {
  return AddLinkedGroup(memberKey, key, dn, false);
}

bool GroupDetailsMap::AddPrimaryGroup(const std::string& accountDn, const std::string& dn) {
  return AddLinkedGroup(LowerCaseText(accountDn), LowerCaseText(dn), dn, true);
}

bool GroupDetailsMap::AddLinkedGroup(const std::string& memberKey, std::string key,
                                     const std::string& dn, bool primaryGroup) {
  if (dn.empty()) return false;
  const auto [groupKey, added] = AddKeyedGroup(std::move(key), dn);
  links_.push_back({HeldKey(memberKey), *groupKey, primaryGroup});
  return added;
}

const data* GroupDetailsMap::Find(std::string_view key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

bool GroupDetailsMap::StoreDetails(std::string_view key, const GroupDetails& details) {
  auto it = entries_.find(key);
  if (it == entries_.end() || !it->second.sAMAccountName.empty()) return false;
  StoreInto(it->second, details);
  return true;
}

void GroupDetailsMap::SetForest(std::string_view key, const std::string& forest) {
  if (auto it = entries_.find(key); it != entries_.end()) it->second.forest = forest;
}

const std::string* GroupDetailsMap::FirstUnprocessedGroup() const {
  if (pending_.empty()) return nullptr;
  return &entries_.find(*pending_.begin())->first;
}

void GroupDetailsMap::MarkProcessed(std::string_view key) {
  auto it = entries_.find(key);
  if (it == entries_.end() || it->second.processed) return;
  it->second.processed = true;
  pending_.erase(it->first);
}

void GroupDetailsMap::AddEntriesInKeyOrder(std::span<NewEntry> added) {
  // Each goes just before the first present key above it: one sweep, no search per entry.
  auto next = entries_.begin();
  for (NewEntry& entry : added) {
    while (next != entries_.end() && std::string_view(next->first) < entry.key) ++next;
    Entries::iterator it;
    if (pool_ != nullptr && !pool_->nodes_.empty()) {
      // Assigned over, each string keeps the room it had.
      Entries::node_type node = std::move(pool_->nodes_.back());
      pool_->nodes_.pop_back();
      node.key().assign(entry.key);
      it = entries_.insert(next, std::move(node));
    } else {
      it = entries_.emplace_hint(next, std::piecewise_construct, std::forward_as_tuple(entry.key),
                                 std::forward_as_tuple());
    }
    data& group = it->second;
    group.processed = entry.processed;
    group.dn.assign(entry.dn);
    StoreInto(group, entry.details != nullptr ? *entry.details : GroupDetails());
    group.forest.clear();
    if (!entry.processed) pending_.insert(it->first);
    entry.key = it->first;
  }
}

void GroupDetailsMap::AddHeldLinks(std::span<const MembershipLink> links) {
  links_.insert(links_.end(), links.begin(), links.end());
}

void GroupDetailsMap::RecordProblem(std::string subject, std::string reason) {
  if (!problemsSeen_.emplace(subject, reason).second) return;
  problems_.push_back({std::move(subject), std::move(reason)});
}

}  // namespace nestwalk
