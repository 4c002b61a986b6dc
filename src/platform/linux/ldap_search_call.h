// One synchronous ldap_search_ext_s call for a seam SearchRequest.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_SEARCH_CALL_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_SEARCH_CALL_H_

#include <ldap.h>

#include <vector>

#include "platform/directory.h"
#include "platform/linux/ldap_handles.h"

namespace nestwalk::platform {

struct SearchCallResult {
  int code = LDAP_SUCCESS;  // the search's result code (or a client-side libldap code)
  LdapMessagePtr messages;  // the whole result chain; may be set even when code is not 0
};

// Keeps a copy of the request and the C views of it that libldap takes. Not copyable: the
// views point into the copy.
class LdapSearchCall {
 public:
  explicit LdapSearchCall(const SearchRequest& request);
  LdapSearchCall(const LdapSearchCall&) = delete;
  LdapSearchCall& operator=(const LdapSearchCall&) = delete;

  // Runs the search with `serverControls` (null-terminated, or nullptr), no client controls,
  // no time limit and no size limit. The base is always passed as given ("" for the RootDSE),
  // never as null, so a BASE in ldap.conf cannot redirect it; an empty filter asks for every
  // object.
  SearchCallResult Run(LDAP* ld, LDAPControl** serverControls);

 private:
  SearchRequest request_;
  std::vector<char*> attributes_;  // null-terminated; points into request_.attributes
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_SEARCH_CALL_H_
