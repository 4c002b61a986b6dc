#include "platform/linux/ldap_entries.h"

#include <string>

#include "platform/linux/ldap_handles.h"

namespace nestwalk::platform {

namespace {

Attribute ReadAttribute(LDAP* ld, LDAPMessage* entry, const char* name) {
  Attribute attribute;
  attribute.name = name;
  // Null for an attribute sent without values (an attributes-only search).
  BervalArrayPtr values(ldap_get_values_len(ld, entry, name));
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
  if (LdapTextPtr dn{ldap_get_dn(ld, message)}) entry.dn = dn.get();
  BerElement* rawCursor = nullptr;
  LdapTextPtr name{ldap_first_attribute(ld, message, &rawCursor)};
  BerElementPtr cursor(rawCursor);
  while (name) {
    entry.attributes.push_back(ReadAttribute(ld, message, name.get()));
    name.reset(ldap_next_attribute(ld, message, cursor.get()));
  }
  return entry;
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

}  // namespace nestwalk::platform
