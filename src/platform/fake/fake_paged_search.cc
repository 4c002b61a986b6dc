#include "platform/fake/fake_paged_search.h"

#include <algorithm>

namespace nestwalk::fake {

FakePagedSearch::FakePagedSearch(platform::SearchResult result, int pageSize,
                                 std::optional<PageFailure> failure,
                                 std::function<int()> connectionCheck)
    : result_(std::move(result)),
      pageSize_(pageSize > 0 ? static_cast<std::size_t>(pageSize) : result_.entries.size()),
      failure_(failure),
      connectionCheck_(std::move(connectionCheck)) {}

int FakePagedSearch::NextPage(std::vector<platform::Entry>& page) {
  if (int code = connectionCheck_(); code != platform::kLdapSuccess) return code;
  if (failure_ && delivered_ >= failure_->pages) return failure_->code;
  if (result_.code != platform::kLdapSuccess) return result_.code;
  // The first request always answers, also for an empty result; after the last page the
  // server has nothing more.
  if (delivered_ > 0 && next_ >= result_.entries.size()) return platform::kLdapNoResultsReturned;
  std::size_t end = std::min(result_.entries.size(), next_ + std::max<std::size_t>(pageSize_, 1));
  page.assign(result_.entries.begin() + static_cast<std::ptrdiff_t>(next_),
              result_.entries.begin() + static_cast<std::ptrdiff_t>(end));
  next_ = end;
  ++delivered_;
  return platform::kLdapSuccess;
}

}  // namespace nestwalk::fake
