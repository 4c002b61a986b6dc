#include "membership/group_details.h"

#include <utility>

#include "text/case_folding.h"

namespace nestwalk {

bool GroupDetailsMap::AddGroup(const std::string& dn) {
  if (dn.empty()) return false;
  auto [it, added] = entries_.try_emplace(LowerCaseText(dn));
  if (!added) return false;
  it->second.dn = dn;
  pending_.insert(it->first);
  return true;
}

const data* GroupDetailsMap::Find(std::string_view key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

bool GroupDetailsMap::StoreDetails(std::string_view key, const std::string& sAMAccountName,
                                   const std::string& groupType) {
  auto it = entries_.find(key);
  if (it == entries_.end() || !it->second.sAMAccountName.empty()) return false;
  it->second.sAMAccountName = sAMAccountName;
  it->second.groupType = groupType;
  return true;
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
  problems_.push_back({std::move(subject), std::move(reason)});
}

}  // namespace nestwalk
