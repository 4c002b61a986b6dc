// An earlier review read back for -since: for each account, the groups it had. A group is held
// once in one table however many accounts have it (a thousand accounts share a closure of
// thousands of groups), and an account holds the indexes of its groups, not their rows.
#ifndef NESTWALK_REPORT_EARLIER_REVIEW_H_
#define NESTWALK_REPORT_EARLIER_REVIEW_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "report/review_key.h"

namespace nestwalk {

// A group as the earlier review wrote it (a CSV cell's escapes kept, its formula quote undone).
struct EarlierGroup {
  std::string key;  // MakeReviewKey of the DN
  std::string dn;
  std::string name;   // sAMAccountName; empty when the review had none
  std::string scope;  // "Global", "Local", "Universal" or "Unknown"
  std::string kind;   // "Security" or "Distribution"
};

struct EarlierAccount {
  std::string name;  // domain\name as the principal line showed it
  std::string dn;
  std::vector<std::uint32_t> groups;  // indexes into EarlierReview::groups(), in key order
  // Why the review holds no whole answer for it ("INCOMPLETE: ..."); empty when it does.
  std::string shortfall;
};

class EarlierReview {
 public:
  // Filling, in the order the review is read: an account, then its groups. An account named
  // again (by MakeReviewKey of its name) goes on where it was left.
  void BeginAccount(std::string_view name, std::string_view dn);
  // A group of the account begun last; a group named twice is held once.
  void AddGroup(std::string_view dn, std::string_view name, std::string_view scope,
                std::string_view kind);
  // The account begun last has no whole answer in the review, for `shortfall`.
  void MarkShortfall(std::string_view shortfall);
  // Once everything is read: puts each account's groups in key order.
  void Finish();

  // The index of the account whose name has the key `key` (MakeReviewKey), or nullopt.
  std::optional<std::size_t> FindAccount(const std::string& key) const;
  // The index of the group whose DN has the key `key`, or nullopt.
  std::optional<std::uint32_t> FindGroup(std::string_view key) const;

  // In the order of the review.
  const std::vector<EarlierAccount>& accounts() const { return accounts_; }
  // In key order once finished.
  const std::vector<EarlierGroup>& groups() const { return groups_; }

 private:
  std::vector<EarlierAccount> accounts_;
  std::vector<EarlierGroup> groups_;
  std::unordered_map<std::string, std::size_t, ReviewKeyHash, std::equal_to<>> accountIndex_;
  std::unordered_map<std::string, std::uint32_t, ReviewKeyHash, std::equal_to<>> groupIndex_;
  std::size_t current_ = 0;  // the account begun last
  std::string key_;          // the key being made, its memory reused
};

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_EARLIER_REVIEW_H_
