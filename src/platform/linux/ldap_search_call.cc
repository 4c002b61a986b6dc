#include "platform/linux/ldap_search_call.h"

#include <string>

namespace nestwalk::platform {

LdapSearchCall::LdapSearchCall(const SearchRequest& request) : request_(request) {
  for (std::string& attribute : request_.attributes) attributes_.push_back(attribute.data());
  attributes_.push_back(nullptr);
}

SearchCallResult LdapSearchCall::Run(LDAP* ld, LDAPControl** serverControls) {
  const int scope = request_.scope == SearchScope::kBase ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE;
  const char* filter = request_.filter.empty() ? "(objectClass=*)" : request_.filter.c_str();
  // A null list asks for all user attributes.
  char** attributes = request_.attributes.empty() ? nullptr : attributes_.data();
  LDAPMessage* messages = nullptr;
  SearchCallResult result;
  result.code = ldap_search_ext_s(ld, request_.base.c_str(), scope, filter, attributes,
                                  request_.attributesOnly ? 1 : 0, serverControls, nullptr, nullptr,
                                  LDAP_NO_LIMIT, &messages);
  result.messages.reset(messages);
  return result;
}

}  // namespace nestwalk::platform
