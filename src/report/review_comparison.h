// One account of this run against the same account of an earlier review (-since): the groups it
// gained and the groups it lost, groups matched by their review keys (review_key.h), so that a
// renamed or moved group is one lost and one gained.
#ifndef NESTWALK_REPORT_REVIEW_COMPARISON_H_
#define NESTWALK_REPORT_REVIEW_COMPARISON_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "membership/group_details.h"
#include "report/earlier_review.h"

namespace nestwalk {

// What an account's entry in a list of changes says of it.
enum class AccountChange {
  kChanged,      // in both, read whole in both: the groups gained and lost
  kAdded,        // not in the earlier review: every group is gained
  kRemoved,      // in the earlier review only
  kNotCompared,  // in either, but one of them holds no whole answer for it
};

struct AccountChanges {
  AccountChange change = AccountChange::kChanged;
  std::string reason;  // but for kChanged: why, in a few plain words
  std::vector<const GroupEntries::value_type*> added;  // this run's groups, in key order
  std::vector<std::uint32_t> removed;  // indexes of the earlier review's groups, in key order

  bool empty() const { return added.empty() && removed.empty(); }
};

class ReviewComparison {
 public:
  // Views `earlier`, which must outlive it and not change.
  explicit ReviewComparison(const EarlierReview& earlier);

  // Fills `changes.added` and `changes.removed` (emptied first) with what the groups this run
  // found for the earlier review's account `account` gained and lost. Linear in both.
  void Compare(std::size_t account, const GroupDetailsMap& groups, AccountChanges& changes);

 private:
  const EarlierReview& earlier_;
  // For each earlier group, the round in which it was last marked: `round_` when the account
  // compared had it, `round_ + 1` when this run found it too.
  std::vector<std::size_t> marks_;
  std::size_t round_ = 0;
  std::string key_;  // the key being made, its memory reused
};

}  // namespace nestwalk

#endif  // NESTWALK_REPORT_REVIEW_COMPARISON_H_
