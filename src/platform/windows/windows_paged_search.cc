#include "platform/windows/windows_paged_search.h"

#include "platform/windows/ldap_chain.h"
#include "platform/windows/ldap_result_codes.h"
#include "platform/windows/wide_search_request.h"

namespace nestwalk::platform {

std::unique_ptr<WindowsPagedSearch> WindowsPagedSearch::Start(const LdapConnections& connections,
                                                              LdapHandle connection,
                                                              const SearchRequest& request,
                                                              int pageSize,
                                                              std::chrono::seconds pageTimeout) {
  LDAP* ld = connections.Find(connection);
  if (ld == nullptr || pageSize < 1) return nullptr;
  WideSearchRequest wide(request);
  PLDAPSearch search =
      ldap_search_init_pageW(ld, wide.base(), wide.scope(), wide.filter(), wide.attributes(),
                             wide.attributesOnly(), nullptr, nullptr, 0, 0, nullptr);
  if (search == nullptr) return nullptr;
  return std::unique_ptr<WindowsPagedSearch>(
      new WindowsPagedSearch(connections, connection, search, pageSize, pageTimeout));
}

WindowsPagedSearch::WindowsPagedSearch(const LdapConnections& connections, LdapHandle connection,
                                       PLDAPSearch search, int pageSize,
                                       std::chrono::seconds pageTimeout)
    : connections_(connections),
      connection_(connection),
      search_(search),
      pageSize_(pageSize),
      pageTimeout_(pageTimeout) {}

WindowsPagedSearch::~WindowsPagedSearch() { Finish(); }

int WindowsPagedSearch::NextPage(std::vector<Entry>& page) {
  page.clear();
  if (search_ == nullptr) return kLdapNoResultsReturned;
  LDAP* ld = connections_.Find(connection_);
  if (ld == nullptr) {
    // Without its connection the search block cannot be released; it goes with the process.
    search_ = nullptr;
    return kLdapParamError;
  }
  l_timeval timeout{static_cast<LONG>(pageTimeout_.count()), 0};
  ULONG total = 0;
  LDAPMessage* raw = nullptr;
  const ULONG code = ldap_get_next_page_s(ld, search_, &timeout, static_cast<ULONG>(pageSize_),
                                          &total, &raw);
  const LdapMessagePtr messages(raw);
  SearchResult result = ResultOfChain(ld, code, messages.get());
  if (result.code != kLdapSuccess) {
    Finish();
    return result.code;
  }
  page = std::move(result.entries);
  return kLdapSuccess;
}

void WindowsPagedSearch::Finish() {
  if (search_ == nullptr) return;
  if (LDAP* ld = connections_.Find(connection_)) ldap_search_abandon_page(ld, search_);
  search_ = nullptr;
}

}  // namespace nestwalk::platform
