#include "platform/linux/negotiate_failure.h"

#include <ldap.h>

#include "platform/linux/linux_host_queries.h"

namespace nestwalk::platform {
namespace {

constexpr std::string_view kGssapiMarker = "GSSAPI Error: ";

std::string TicketNote(const CallerTicket& ticket) {
  switch (ticket.problem) {
    case TicketProblem::kNone:
      return std::string();
    case TicketProblem::kNoTicket:
    case TicketProblem::kExpired:
      return std::string(": ") + kKinitHint;
    case TicketProblem::kOtherRealm:
      return " (the ticket is of realm " + ticket.ticketRealm + ", the server of realm " +
             ticket.serverRealm + "): " + kKinitHint;
  }
  return std::string();
}

}  // namespace

std::string GssMinorText(std::string_view saslDetail) {
  const std::size_t marker = saslDetail.find(kGssapiMarker);
  if (marker == std::string_view::npos) return std::string(saslDetail);
  const std::string_view error = saslDetail.substr(marker + kGssapiMarker.size());
  // The major text comes first and the minor text in the parentheses that close the detail;
  // the minor text may hold parentheses of its own.
  const std::size_t open = error.find(" (");
  if (open == std::string_view::npos || !error.ends_with(')')) return std::string(error);
  return std::string(error.substr(open + 2, error.size() - open - 3));
}

std::string NegotiateFailureReason(const NegotiateFailure& failure) {
  if (failure.code == LDAP_AUTH_UNKNOWN) {
    // libldap names the mechanism itself, so SASL found no GSSAPI plugin on this side.
    return "SASL: the GSSAPI plugin of Cyrus SASL is missing: install the Debian package "
           "libsasl2-modules-gssapi-mit (or check SASL_PATH)";
  }
  if (failure.code != LDAP_LOCAL_ERROR || failure.saslDetail.empty()) return std::string();
  std::string reason = "Kerberos: " + GssMinorText(failure.saslDetail);
  if (failure.callersTicket) reason += TicketNote(*failure.callersTicket);
  return reason;
}

}  // namespace nestwalk::platform
