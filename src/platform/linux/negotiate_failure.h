// The one line that tells a user why a negotiate (SASL GSSAPI) bind failed where libldap's code
// alone does not: "Local error" hides every Kerberos failure, and "Unknown authentication method"
// a SASL library without its GSSAPI plugin.
#ifndef NESTWALK_PLATFORM_LINUX_NEGOTIATE_FAILURE_H_
#define NESTWALK_PLATFORM_LINUX_NEGOTIATE_FAILURE_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/kerberos.h"

namespace nestwalk::platform {

// What is known of a failed negotiate bind.
struct NegotiateFailure {
  int code = 0;            // the bind's libldap result
  std::string saslDetail;  // the connection's diagnostic message after the bind; may be empty
  // The check of the caller's ticket cache, for a bind with the caller's own ticket.
  std::optional<CallerTicket> callersTicket;
};

// The GSS-API minor status text of a SASL GSSAPI error detail ("SASL(-1): generic failure:
// GSSAPI Error: <major> (<minor>)"); the whole detail when it is not of that form.
std::string GssMinorText(std::string_view saslDetail);

// Empty when the code tells enough (or nothing more is known). A missing GSSAPI module names
// the plugin and its Debian package; a local error gives the Kerberos reason, and the kinit hint
// when the caller's ticket is missing, expired or of another realm than the server's.
std::string NegotiateFailureReason(const NegotiateFailure& failure);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_NEGOTIATE_FAILURE_H_
