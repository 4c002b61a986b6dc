// A paged search of the fake forest: the whole result cut into pages, handed out in order.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_PAGED_SEARCH_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_PAGED_SEARCH_H_

#include <functional>
#include <optional>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::fake {

struct PageFailure {
  int pages = 0;  // pages delivered before the failure
  int code = 0;
};

class FakePagedSearch : public platform::PagedSearch {
 public:
  // `result` is the search's whole answer: a failing code comes back at the first request.
  // `pageSize` > 0 entries a page (otherwise one page holds everything). `connectionCheck` is
  // called before every page and returns 0 or the code that fails the request.
  FakePagedSearch(platform::SearchResult result, int pageSize, std::optional<PageFailure> failure,
                  std::function<int()> connectionCheck);

  // 0 with the next page (the first page may be empty); kLdapNoResultsReturned after the last.
  int NextPage(std::vector<platform::Entry>& page) override;

 private:
  platform::SearchResult result_;
  std::size_t pageSize_;
  std::optional<PageFailure> failure_;
  std::function<int()> connectionCheck_;
  std::size_t next_ = 0;
  int delivered_ = 0;
};

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_PAGED_SEARCH_H_
