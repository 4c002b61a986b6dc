// Owning smart pointers for the memory and handles that the Windows libraries hand out. Each
// deleter is the library's own release call, so a buffer is released as soon as its owner goes
// (right after its fields are copied) and never twice.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_HANDLES_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_HANDLES_H_

// clang-format off
#include <windows.h>
#include <lm.h>
#include <winldap.h>
#include <winber.h>
// clang-format on

// <windows.h> makes GetComputerName a macro for GetComputerNameA, which would rename the
// HostQueries method wherever this header comes first.
#undef GetComputerName

#include <memory>

namespace nestwalk::platform {

// Buffers of the network management calls (DsGetDcName, DsGetSiteName,
// DsEnumerateDomainTrusts, NetWkstaGetInfo, NetGetJoinInformation, NetWkstaUserGetInfo).
struct NetApiBufferRelease {
  void operator()(void* buffer) const { NetApiBufferFree(buffer); }
};
template <typename T>
using NetApiBuffer = std::unique_ptr<T, NetApiBufferRelease>;

// A connection: closing it is unbinding it; the unbind's result tells nothing useful.
struct LdapUnbind {
  void operator()(LDAP* ld) const { ldap_unbind(ld); }
};
using LdapPtr = std::unique_ptr<LDAP, LdapUnbind>;

// A whole result chain (every message of one search, or one page).
struct LdapMessageFree {
  void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using LdapMessagePtr = std::unique_ptr<LDAPMessage, LdapMessageFree>;

// The cursor of ldap_first_attributeW / ldap_next_attributeW.
struct BerElementFree {
  void operator()(BerElement* ber) const { ber_free(ber, 0); }
};
using BerElementPtr = std::unique_ptr<BerElement, BerElementFree>;

// The values of ldap_get_values_lenW.
struct BervalArrayFree {
  void operator()(berval** values) const { ldap_value_free_len(values); }
};
using BervalArrayPtr = std::unique_ptr<berval*, BervalArrayFree>;

// Texts the library allocates: DNs, attribute names, the server's error text.
struct LdapWideTextFree {
  void operator()(wchar_t* text) const { ldap_memfreeW(text); }
};
using LdapWideTextPtr = std::unique_ptr<wchar_t, LdapWideTextFree>;

// A null-terminated text list the library allocates (the referrals of ldap_parse_resultW).
struct LdapWideValuesFree {
  void operator()(wchar_t** values) const { ldap_value_freeW(values); }
};
using LdapWideValuesPtr = std::unique_ptr<wchar_t*, LdapWideValuesFree>;

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_HANDLES_H_
