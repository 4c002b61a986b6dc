#include "report/earlier_review.h"

#include <algorithm>
#include <numeric>

namespace nestwalk {

void EarlierReview::BeginAccount(std::string_view name, std::string_view dn) {
  const auto [at, added] = accountIndex_.try_emplace(MakeReviewKey(name, key_), accounts_.size());
  current_ = at->second;
  if (added) accounts_.push_back({std::string(name), std::string(dn), {}, {}});
}

void EarlierReview::AddGroup(std::string_view dn, std::string_view name, std::string_view scope,
                             std::string_view kind) {
  const auto index = static_cast<std::uint32_t>(groups_.size());
  const auto [at, added] = groupIndex_.try_emplace(MakeReviewKey(dn, key_), index);
  if (added) {
    groups_.push_back(
        {key_, std::string(dn), std::string(name), std::string(scope), std::string(kind)});
  }
  accounts_[current_].groups.push_back(at->second);
}

void EarlierReview::MarkShortfall(std::string_view shortfall) {
  accounts_[current_].shortfall = shortfall;
}

void EarlierReview::Finish() {
  // Each group's index becomes its rank in key order.
  std::vector<std::uint32_t> byKey(groups_.size());
  std::iota(byKey.begin(), byKey.end(), 0);
  std::ranges::sort(
      byKey, [&](std::uint32_t a, std::uint32_t b) { return groups_[a].key < groups_[b].key; });
  std::vector<std::uint32_t> rank(groups_.size());
  std::vector<EarlierGroup> sorted;
  sorted.reserve(groups_.size());
  for (std::uint32_t index : byKey) {
    rank[index] = static_cast<std::uint32_t>(sorted.size());
    sorted.push_back(std::move(groups_[index]));
  }
  groups_ = std::move(sorted);
  for (auto& [key, index] : groupIndex_) index = rank[index];
  for (EarlierAccount& account : accounts_) {
    for (std::uint32_t& index : account.groups) index = rank[index];
    std::ranges::sort(account.groups);
    // std::unique, not the ranges one: clang 14, which builds the fuzzers, cannot compile its
    // subrange with this standard library.
    account.groups.erase(std::unique(account.groups.begin(), account.groups.end()),
                         account.groups.end());
  }
}

std::optional<std::size_t> EarlierReview::FindAccount(const std::string& key) const {
  const auto at = accountIndex_.find(key);
  if (at == accountIndex_.end()) return std::nullopt;
  return at->second;
}

std::optional<std::uint32_t> EarlierReview::FindGroup(std::string_view key) const {
  const auto at = groupIndex_.find(key);
  if (at == groupIndex_.end()) return std::nullopt;
  return at->second;
}

}  // namespace nestwalk
