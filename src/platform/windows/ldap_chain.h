// Reading a wldap32 result chain into the seam's value types, so that no library memory
// outlives the call that received it.
#ifndef NESTWALK_PLATFORM_WINDOWS_LDAP_CHAIN_H_
#define NESTWALK_PLATFORM_WINDOWS_LDAP_CHAIN_H_

#include <vector>

#include "platform/directory.h"
#include "platform/windows/windows_handles.h"

namespace nestwalk::platform {

// Every entry of `chain` (not owned; may be null) in the order received, DNs and attribute
// names as UTF-8, values as the bytes the server sent. Search references are not entries.
std::vector<Entry> ReadEntries(LDAP* ld, LDAPMessage* chain);

// The seam's result of a search whose call returned `windowsCode` with `chain` (not owned; may
// be null): the program's code for it (see ProgramLdapCode); on success the entries; on a
// referral the URLs the server named.
SearchResult ResultOfChain(LDAP* ld, unsigned long windowsCode, LDAPMessage* chain);

// The result code the server sent in `chain`'s result message, or the failure to read it.
unsigned long ChainResultCode(LDAP* ld, LDAPMessage* chain);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_LDAP_CHAIN_H_
