#include "membership/group_details.h"

#include <utility>

#include "text/case_folding.h"

namespace nestwalk {

bool GroupDetailsMap::AddGroup(const std::string& dn) {
  if (dn.empty()) return false;
  return AddKeyedGroup(LowerCaseText(dn), dn);
}

bool GroupDetailsMap::AddKeyedGroup(std::string key, const std::string& dn) {
  auto [it, added] = entries_.try_emplace(std::move(key));
  if (!added) return false;
  it->second.dn = dn;
  pending_.insert(it->first);
  return true;
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

bool GroupDetailsMap::AddLinkedGroup(std::string memberKey, std::string key,
                                     const std::string& dn, bool primaryGroup) {
  if (dn.empty()) return false;
  links_.push_back({std::move(memberKey), key, primaryGroup});
  return AddKeyedGroup(std::move(key), dn);
}

const data* GroupDetailsMap::Find(std::string_view key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

bool GroupDetailsMap::StoreDetails(std::string_view key, const GroupDetails& details) {
  auto it = entries_.find(key);
  if (it == entries_.end() || !it->second.sAMAccountName.empty()) return false;
  it->second.sAMAccountName = details.sAMAccountName;
  it->second.groupType = details.groupType;
  it->second.objectSid = details.objectSid;
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

void GroupDetailsMap::RecordProblem(std::string subject, std::string reason) {
  if (!problemsSeen_.emplace(subject, reason).second) return;
  problems_.push_back({std::move(subject), std::move(reason)});
}

}  // namespace nestwalk
