// The MIT Kerberos facts the program needs: the caller's ticket cache principal, the default
// realm, and the realm of the machine account in the system keytab. Every library handle is
// released before these return.
#ifndef NESTWALK_PLATFORM_LINUX_KERBEROS_H_
#define NESTWALK_PLATFORM_LINUX_KERBEROS_H_

#include <optional>
#include <string>

namespace nestwalk::platform {

enum class CachePrincipalError {
  kNone,
  kLibraryUnavailable,  // no Kerberos context (broken krb5.conf, out of memory)
  kNoCache,             // no default ticket cache
  kNoPrincipal,         // the cache exists but names no usable principal
};

struct CachePrincipal {
  CachePrincipalError error = CachePrincipalError::kNone;
  std::string principal;  // krb5_unparse_name text when error is kNone
};

// The principal of the default credential cache (KRB5CCNAME or the configured default).
CachePrincipal DefaultCachePrincipal();

// The default realm of krb5.conf; nullopt when none is configured.
std::optional<std::string> DefaultRealm();

// The realm of the first machine-account entry ("NAME$@REALM", one component ending in '$')
// of the default keytab; nullopt when there is none or the keytab cannot be read.
std::optional<std::string> KeytabMachineRealm();

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_KERBEROS_H_
