// The LDAP ping: an anonymous base search of a server's RootDSE for its Netlogon attribute,
// which tells whether the server is alive, which domain it serves and in which site it sits.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_PING_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_PING_H_

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "platform/linux/netlogon_response.h"

namespace nestwalk::platform {

// How long one candidate may take: for the TCP connect and again for the search.
inline constexpr std::chrono::milliseconds kPingTimeout{2500};

enum class PingOutcome {
  kAnswered,       // `response` holds the decoded answer
  kNotThisDomain,  // the server answered, but does not serve the domain asked for
  kUnreachable,    // no connection
  kTimedOut,       // connected, but no answer within the time limit
  kBadAnswer,      // the answer could not be decoded
};

struct PingResult {
  PingOutcome outcome = PingOutcome::kUnreachable;
  std::optional<NetlogonResponse> response;
};

// The search filter of a ping, always an AND. An empty `dnsDomain` leaves the domain out,
// and the server answers for its own domain.
std::string PingFilter(std::string_view dnsDomain);

// Pings `host` on `port`, asking about `dnsDomain` (empty: the server's own domain). Never
// takes much longer than twice `timeout`; a request on `stop` ends it at once, unreachable
// (only a host name still being resolved is waited for). Holds no connection afterwards.
PingResult PingServer(const std::string& host, int port, const std::string& dnsDomain,
                      std::chrono::milliseconds timeout = kPingTimeout, std::stop_token stop = {});

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_PING_H_
