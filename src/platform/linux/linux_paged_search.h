// A paged search over libldap with the simple paged results control (RFC 2696).
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_PAGED_SEARCH_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_PAGED_SEARCH_H_

#include <chrono>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/linux/ldap_connection_table.h"
#include "platform/linux/ldap_search_call.h"
#include "platform/linux/socket_watchdog.h"

namespace nestwalk::platform {

// Each NextPage sends one search request for at most `pageSize` entries, carrying the cookie
// of the previous answer, and keeps only the cookie: the page's messages are released before
// NextPage returns, and the caller's previous page is dropped before the next is requested.
// The connection is looked up by handle on every page, so a search whose connection was closed
// fails instead of touching freed memory. Each page has `responseTimeout` from its request, held
// by `watchdog`. `connections` and `watchdog` must outlive the search.
class LinuxPagedSearch : public PagedSearch {
 public:
  LinuxPagedSearch(const LdapConnectionTable& connections, SocketWatchdog& watchdog,
                   std::chrono::seconds responseTimeout, LdapHandle connection,
                   const SearchRequest& request, int pageSize);

  // 0 with a page (possibly empty); after the page whose answer had an empty cookie,
  // kLdapNoResultsReturned; a failing request returns its code and ends the search. On any
  // non-zero return `page` is left empty.
  int NextPage(std::vector<Entry>& page) override;

 private:
  // Sends one request; fills `page` and the next cookie.
  int RequestPage(LDAP* ld, std::vector<Entry>& page);

  const LdapConnectionTable& connections_;
  SocketWatchdog& watchdog_;
  std::chrono::seconds responseTimeout_;
  LdapHandle connection_;
  LdapSearchCall call_;
  int pageSize_;
  std::string cookie_;
  bool finished_ = false;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_PAGED_SEARCH_H_
