#include "platform/windows/ldap_chain.h"

#include <string>

#include "platform/windows/ldap_result_codes.h"
#include "platform/windows/wide_text.h"

namespace nestwalk::platform {

namespace {

Attribute ReadAttribute(LDAP* ld, LDAPMessage* entry, wchar_t* name) {
  Attribute attribute;
  attribute.name = Utf8FromWide(name);
  // Null for an attribute sent without values (an attributes-only search).
  const BervalArrayPtr values(ldap_get_values_lenW(ld, entry, name));
  if (values) {
    for (berval** value = values.get(); *value != nullptr; ++value) {
      const berval& bytes = **value;
      attribute.values.push_back(bytes.bv_len == 0 ? std::string()
                                                   : std::string(bytes.bv_val, bytes.bv_len));
    }
  }
  return attribute;
}

Entry ReadEntry(LDAP* ld, LDAPMessage* message) {
  Entry entry;
  if (const LdapWideTextPtr dn{ldap_get_dnW(ld, message)}) entry.dn = Utf8FromWide(dn.get());
  BerElement* rawCursor = nullptr;
  LdapWideTextPtr name{ldap_first_attributeW(ld, message, &rawCursor)};
  const BerElementPtr cursor(rawCursor);
  while (name) {
    entry.attributes.push_back(ReadAttribute(ld, message, name.get()));
    name.reset(ldap_next_attributeW(ld, message, cursor.get()));
  }
  return entry;
}

std::vector<std::string> ReadReferrals(LDAP* ld, LDAPMessage* chain) {
  std::vector<std::string> urls;
  ULONG code = 0;
  wchar_t** raw = nullptr;
  if (chain == nullptr ||
      ldap_parse_resultW(ld, chain, &code, nullptr, nullptr, &raw, nullptr, FALSE) != 0) {
    return urls;
  }
  const LdapWideValuesPtr referrals(raw);
  for (wchar_t** url = referrals.get(); url != nullptr && *url != nullptr; ++url) {
    urls.push_back(Utf8FromWide(*url));
  }
  return urls;
}

}  // namespace

std::vector<Entry> ReadEntries(LDAP* ld, LDAPMessage* chain) {
  std::vector<Entry> entries;
  if (chain == nullptr) return entries;
  for (LDAPMessage* message = ldap_first_entry(ld, chain); message != nullptr;
       message = ldap_next_entry(ld, message)) {
    entries.push_back(ReadEntry(ld, message));
  }
  return entries;
}

SearchResult ResultOfChain(LDAP* ld, unsigned long windowsCode, LDAPMessage* chain) {
  const int code = ProgramLdapCode(windowsCode);
  if (code == kLdapReferral) return SearchResult{code, {}, ReadReferrals(ld, chain)};
  if (code != kLdapSuccess) return SearchResult{code, {}};
  return SearchResult{kLdapSuccess, ReadEntries(ld, chain)};
}

unsigned long ChainResultCode(LDAP* ld, LDAPMessage* chain) {
  ULONG code = 0;
  const ULONG parsed =
      ldap_parse_resultW(ld, chain, &code, nullptr, nullptr, nullptr, nullptr, FALSE);
  return parsed != 0 ? parsed : code;
}

}  // namespace nestwalk::platform
