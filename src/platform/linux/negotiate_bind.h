// The negotiate (Kerberos) bind of a libldap connection: SASL GSSAPI with the caller's ticket
// cache, or with a ticket obtained for explicit credentials.
#ifndef NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_
#define NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_

#include <ldap.h>

#include <cstdint>
#include <optional>

#include "platform/directory.h"

namespace nestwalk::platform {

// Binds `ld` (not owned) and returns 0 or an LDAP result code. Nothing is written to the
// terminal. When the KDC refuses explicit credentials no LDAP request is sent; the result is
// LDAP_INVALID_CREDENTIALS (or LDAP_LOCAL_ERROR when the KDC could not be asked) and the
// Kerberos error text becomes the connection's diagnostic message.
int NegotiateBindConnection(LDAP* ld, const std::optional<ExplicitCredentials>& credentials);

// The LDAP result code for a failure to get a ticket with a password: invalid credentials when
// the KDC refused the principal or the password, a local error otherwise.
int BindCodeForTicketFailure(std::int32_t krb5Error);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_
