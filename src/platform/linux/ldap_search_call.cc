#include "platform/linux/ldap_search_call.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/linux/ldap_entries.h"

namespace nestwalk::platform {

LdapSearchCall::LdapSearchCall(const SearchRequest& request) : request_(request) {
  for (std::string& attribute : request_.attributes) attributes_.push_back(attribute.data());
  attributes_.push_back(nullptr);
}

int LdapSearchCall::Scope() const {
  return request_.scope == SearchScope::kBase ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE;
}

const char* LdapSearchCall::Filter() const {
  return request_.filter.empty() ? "(objectClass=*)" : request_.filter.c_str();
}

// A null list asks for all user attributes.
char** LdapSearchCall::Attributes() {
  return request_.attributes.empty() ? nullptr : attributes_.data();
}

SearchCallResult LdapSearchCall::Run(LDAP* ld, LDAPControl** serverControls) {
  LDAPMessage* messages = nullptr;
  SearchCallResult result;
  result.code = ldap_search_ext_s(ld, request_.base.c_str(), Scope(), Filter(), Attributes(),
                                  request_.attributesOnly ? 1 : 0, serverControls, nullptr, nullptr,
                                  LDAP_NO_LIMIT, &messages);
  result.messages.reset(messages);
  return result;
}

int LdapSearchCall::Send(LDAP* ld, int& messageId) {
  return ldap_search_ext(ld, request_.base.c_str(), Scope(), Filter(), Attributes(),
                         request_.attributesOnly ? 1 : 0, nullptr, nullptr, nullptr, LDAP_NO_LIMIT,
                         &messageId);
}

namespace {

// The URLs of the chain's result when it is a referral; nullopt for any other result.
std::optional<std::vector<std::string>> ReferralOf(LDAP* ld, LDAPMessage* chain) {
  int code = LDAP_SUCCESS;
  char** rawUrls = nullptr;
  const int parsed = ldap_parse_result(ld, chain, &code, nullptr, nullptr, &rawUrls, nullptr, 0);
  const LdapTextArrayPtr urls(rawUrls);
  if (parsed != LDAP_SUCCESS || code != LDAP_REFERRAL) return std::nullopt;
  std::vector<std::string> named;
  for (char** url = urls.get(); url != nullptr && *url != nullptr; ++url) named.emplace_back(*url);
  return named;
}

}  // namespace

SearchResult SearchOutcome(LDAP* ld, int code, LDAPMessage* chain) {
  if (chain != nullptr) {
    if (std::optional<std::vector<std::string>> urls = ReferralOf(ld, chain)) {
      return SearchResult{kLdapReferral, {}, std::move(*urls)};
    }
  }
  if (code != LDAP_SUCCESS) return SearchResult{code, {}};
  return SearchResult{LDAP_SUCCESS, ReadEntries(ld, chain)};
}

SearchResult ResultOfChain(LDAP* ld, int type, LDAPMessage* chain) {
  // ldap_search_ext_s passes on the session's code for a chain that a reference or an
  // intermediate message opens, and otherwise the final result's code, or the failure to read
  // it (what ldap_result2error gives).
  int code = LDAP_SUCCESS;
  if (type == LDAP_RES_SEARCH_REFERENCE || type == LDAP_RES_INTERMEDIATE) {
    ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
  } else {
    const int parsed = ldap_parse_result(ld, chain, &code, nullptr, nullptr, nullptr, nullptr, 0);
    if (code == LDAP_SUCCESS) code = parsed;
  }
  return SearchOutcome(ld, code, chain);
}

}  // namespace nestwalk::platform
