// Copies the entries of a libldap result chain into the seam's value types.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_ENTRIES_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_ENTRIES_H_

#include <ldap.h>

#include <vector>

#include "platform/directory.h"

namespace nestwalk::platform {

// Every entry of `chain` in the order received, each with its DN and every attribute with all
// its values as byte strings (binary values intact). Search references and the final result
// message are skipped. The chain stays owned by the caller; nothing returned points into it.
std::vector<Entry> ReadEntries(LDAP* ld, LDAPMessage* chain);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_ENTRIES_H_
