// A paged search through wldap32's own paging (ldap_search_init_pageW, ldap_get_next_page_s).
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_PAGED_SEARCH_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_PAGED_SEARCH_H_

#include <chrono>
#include <memory>
#include <vector>

#include "platform/directory.h"
#include "platform/windows/ldap_sent_searches.h"
#include "platform/windows/windows_handles.h"

namespace nestwalk::platform {

// The connection is looked up by handle on every page, so a search whose connection was closed
// fails instead of touching freed memory. Each page's messages are released before NextPage
// returns. `connections` must outlive the search.
class WindowsPagedSearch : public PagedSearch {
 public:
  // nullptr when the library cannot start the search (an unknown connection among the causes).
  static std::unique_ptr<WindowsPagedSearch> Start(const LdapConnections& connections,
                                                   LdapHandle connection,
                                                   const SearchRequest& request, int pageSize,
                                                   std::chrono::seconds pageTimeout);
  ~WindowsPagedSearch() override;
  WindowsPagedSearch(const WindowsPagedSearch&) = delete;
  WindowsPagedSearch& operator=(const WindowsPagedSearch&) = delete;

  // 0 with a page (possibly empty); after the last page kLdapNoResultsReturned; a failing page
  // returns its code and ends the search. On any non-zero return `page` is left empty.
  int NextPage(std::vector<Entry>& page) override;

 private:
  WindowsPagedSearch(const LdapConnections& connections, LdapHandle connection,
                     PLDAPSearch search, int pageSize, std::chrono::seconds pageTimeout);
  // Releases the library's search block, once.
  void Finish();

  const LdapConnections& connections_;
  LdapHandle connection_;
  PLDAPSearch search_;  // null once finished
  int pageSize_;
  std::chrono::seconds pageTimeout_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_PAGED_SEARCH_H_
