// The negotiate (Kerberos) bind of a libldap connection: SASL GSSAPI with the caller's ticket
// cache, or with a ticket obtained for explicit credentials.
#ifndef NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_
#define NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_

#include <ldap.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/directory.h"
#include "platform/linux/socket_watchdog.h"

namespace nestwalk::platform {

// Binds `ld` (not owned) and returns 0 or an LDAP result code. Nothing is written to the
// terminal. When the KDC refuses explicit credentials no LDAP request is sent; the result is
// LDAP_INVALID_CREDENTIALS (or LDAP_LOCAL_ERROR when the KDC could not be asked) and the
// Kerberos error text becomes the connection's diagnostic message. Each round trip waits at
// most `responseTimeout` for the server's answer, held by `watchdog` whatever the server does
// between bytes (LDAP_TIMEOUT then); the Kerberos exchanges with the KDC are not counted.
int NegotiateBindConnection(LDAP* ld, const std::optional<ExplicitCredentials>& credentials,
                            SocketWatchdog& watchdog, std::chrono::seconds responseTimeout);

// The reason line for a negotiate bind of `ld` that returned `code`, from the connection's
// diagnostic message and, for a local error of a bind with the caller's own ticket
// (`callersTicket`), a check of the caller's ticket cache against the connection's host; empty
// when there is nothing to add (see NegotiateFailureReason).
std::string DescribeNegotiateFailure(LDAP* ld, int code, bool callersTicket);

// The LDAP result code for a failure to get a ticket with a password: invalid credentials when
// the KDC refused the principal or the password, a local error otherwise.
int BindCodeForTicketFailure(std::int32_t krb5Error);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_NEGOTIATE_BIND_H_
