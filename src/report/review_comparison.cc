#include "report/review_comparison.h"

#include "report/review_key.h"

namespace nestwalk {

ReviewComparison::ReviewComparison(const EarlierReview& earlier)
    : earlier_(earlier), marks_(earlier.groups().size(), 0) {}

void ReviewComparison::Compare(std::size_t account, const GroupDetailsMap& groups,
                               AccountChanges& changes) {
  changes.added.clear();
  changes.removed.clear();
  round_ += 2;
  const std::vector<std::uint32_t>& had = earlier_.accounts()[account].groups;
  for (const std::uint32_t group : had) marks_[group] = round_;
  for (const auto& entry : groups.entries()) {
    const std::optional<std::uint32_t> group =
        earlier_.FindGroup(ReviewKeyOfLowerCased(entry.first, key_));
    if (group && marks_[*group] >= round_) {
      marks_[*group] = round_ + 1;
    } else {
      changes.added.push_back(&entry);
    }
  }
  for (const std::uint32_t group : had) {
    if (marks_[group] == round_) changes.removed.push_back(group);
  }
}

}  // namespace nestwalk
