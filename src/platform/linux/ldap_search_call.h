// One ldap_search_ext call for a seam SearchRequest: synchronous, or sent to be collected later.
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
// views point into the copy. Both calls pass the base as given ("" for the RootDSE), never as
// null, so a BASE in ldap.conf cannot redirect it; an empty filter asks for every object; no
// client controls, no time limit and no size limit.
class LdapSearchCall {
 public:
  explicit LdapSearchCall(const SearchRequest& request);
  LdapSearchCall(const LdapSearchCall&) = delete;
  LdapSearchCall& operator=(const LdapSearchCall&) = delete;

  // Runs the search with `serverControls` (null-terminated, or nullptr) to its end.
  SearchCallResult Run(LDAP* ld, LDAPControl** serverControls);
  // Sends the search without server controls and sets `messageId`; returns 0 or the code of a
  // request that could not be sent. The request is encoded before this returns, so the call
  // object need not outlive it.
  int Send(LDAP* ld, int& messageId);

 private:
  int Scope() const;
  const char* Filter() const;
  char** Attributes();

  SearchRequest request_;
  std::vector<char*> attributes_;  // null-terminated; points into request_.attributes
};

// The seam's result for a search that libldap ended with `code` and the result chain `chain`
// (null when none came): when the chain's result is a referral, kLdapReferral with the URLs the
// server named; otherwise `code`, with the entries when it is 0. `chain` stays owned by the
// caller.
SearchResult SearchOutcome(LDAP* ld, int code, LDAPMessage* chain);

// The seam's result for a complete result chain as ldap_result delivers it with the message type
// `type`: that of SearchOutcome for the code ldap_search_ext_s would give for the chain. `chain`
// stays owned by the caller.
SearchResult ResultOfChain(LDAP* ld, int type, LDAPMessage* chain);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_SEARCH_CALL_H_
