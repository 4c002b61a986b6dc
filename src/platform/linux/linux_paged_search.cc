#include "platform/linux/linux_paged_search.h"

#include <utility>

#include "platform/linux/ldap_call_deadline.h"
#include "platform/linux/ldap_entries.h"
#include "platform/linux/ldap_handles.h"

namespace nestwalk::platform {

LinuxPagedSearch::LinuxPagedSearch(const LdapConnectionTable& connections, SocketWatchdog& watchdog,
                                   std::chrono::seconds responseTimeout, LdapHandle connection,
                                   const SearchRequest& request, int pageSize)
    : connections_(connections),
      watchdog_(watchdog),
      responseTimeout_(responseTimeout),
      connection_(connection),
      call_(request),
      pageSize_(pageSize) {}

int LinuxPagedSearch::NextPage(std::vector<Entry>& page) {
  page.clear();
  if (finished_) return kLdapNoResultsReturned;
  LDAP* ld = connections_.Find(connection_);
  const int code = ld == nullptr ? LDAP_PARAM_ERROR : RequestPage(ld, page);
  if (code != LDAP_SUCCESS) {
    finished_ = true;
    page.clear();
  }
  return code;
}

int LinuxPagedSearch::RequestPage(LDAP* ld, std::vector<Entry>& page) {
  berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
  LDAPControl* rawControl = nullptr;
  int code = ldap_create_page_control(ld, pageSize_, &cookie, 1, &rawControl);
  LdapControlPtr control(rawControl);
  if (code != LDAP_SUCCESS) return code;

  LDAPControl* requestControls[] = {control.get(), nullptr};
  SearchCallResult result;
  code = CallBefore(watchdog_, ld, SocketWatchdog::Clock::now() + responseTimeout_, [&] {
    result = call_.Run(ld, requestControls);
    return result.code;
  });
  if (code != LDAP_SUCCESS) return code;

  LDAPControl** rawResponseControls = nullptr;
  code = ldap_parse_result(ld, result.messages.get(), nullptr, nullptr, nullptr, nullptr,
                           &rawResponseControls, 0);
  LdapControlsPtr responseControls(rawResponseControls);
  if (code != LDAP_SUCCESS) return code;

  // A server that answers without the control has sent everything at once.
  std::string nextCookie;
  LDAPControl* response = responseControls ? ldap_control_find(LDAP_CONTROL_PAGEDRESULTS,
                                                               responseControls.get(), nullptr)
                                           : nullptr;
  if (response != nullptr) {
    ber_int_t estimate = 0;
    berval responseCookie{0, nullptr};
    code = ldap_parse_pageresponse_control(ld, response, &estimate, &responseCookie);
    BerBytesPtr cookieBytes(responseCookie.bv_val);
    if (code != LDAP_SUCCESS) return code;
    if (cookieBytes) nextCookie.assign(cookieBytes.get(), responseCookie.bv_len);
  }

  page = ReadEntries(ld, result.messages.get());
  cookie_ = std::move(nextCookie);
  finished_ = cookie_.empty();
  return LDAP_SUCCESS;
}

}  // namespace nestwalk::platform
