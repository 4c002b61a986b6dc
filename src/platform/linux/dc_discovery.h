// Finding a domain controller or global catalog from DNS SRV records and LDAP pings, and the
// site of this machine: the decisions of the locator, over a network that tests can script.
#ifndef NESTWALK_PLATFORM_LINUX_DC_DISCOVERY_H_
#define NESTWALK_PLATFORM_LINUX_DC_DISCOVERY_H_

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/linux/dns_srv.h"
#include "platform/linux/ldap_ping.h"
#include "platform/locator.h"

namespace nestwalk::platform {

// What the locator asks of the network and of this machine's configuration.
class DiscoveryNetwork {
 public:
  virtual ~DiscoveryNetwork() = default;
  virtual SrvAnswer LookupSrv(const std::string& name) = 0;
  // `dnsDomain` empty: the server answers for its own domain. A request on `stop` ends the
  // ping early as unreachable.
  virtual PingResult Ping(const std::string& host, int port, const std::string& dnsDomain,
                          std::stop_token stop) = 0;
  // The DNS domains this machine knows, most trusted first (they may repeat).
  virtual std::vector<std::string> KnownDomains() = 0;
  // The DNS name of the domain this machine belongs to, if any.
  virtual std::optional<std::string> JoinedDomain() = 0;
  // How long a ping waits to connect, and again for its answer.
  virtual std::chrono::milliseconds PingWait() const { return kPingTimeout; }
};

// The DNS names of the partners of the trusts named `flatName` (lower-case) that the domain
// controller `dcHost` of this machine's own domain holds; empty when it holds none or cannot be
// asked.
using TrustPartnerLookup =
    std::function<std::vector<std::string>(const std::string& dcHost, const std::string& flatName)>;

class PingRace;

// Candidates pinged from one SRV list at most.
inline constexpr int kMaxPingedCandidates = 5;
inline constexpr int kLdapPort = 389;
// ERROR_NO_SITENAME: no site could be learnt.
inline constexpr int kErrorNoSiteName = 1919;

// The site of this machine as far as the locator has learnt it (the ClientSiteName of the
// last answer that had one); empty until then. The locator updates it as it goes.
struct SiteMemory {
  std::string site;
};

// Answers a locator query: `computerName` (empty: this machine; leading backslashes ignored)
// is pinged first; then a flat name is mapped through the known domains, and when none has it
// through the partners that `trustPartners` gives, asked of the DC of the first known domain
// that answered (a partner counts only when its DC reports that flat name); then SRV records
// and pings find a server, in this machine's site when there is one. A server must answer
// for the domain (its forest for a GC query) with the flags asked for and a host name of
// letters, digits, '-', '_' and '.'. Status 0 with the answer, 1722 when `computerName`
// cannot be reached, 1355 when nothing fits. With a `together` race the candidates of each SRV
// list are pinged at once through it and the first suitable answer wins; without one they are
// pinged one after another in SRV order. A 1355 has as its reason the first SRV query that no
// DNS server answered (no further name is looked up after it) or the first ping that failed,
// and none when nothing failed on the way.
LocatorAnswer LocateServer(DiscoveryNetwork& network, SiteMemory& memory,
                           const std::string& computerName, const std::string& domainName,
                           unsigned flags, const TrustPartnerLookup& trustPartners,
                           PingRace* together = nullptr);

// The ping answer of a domain controller of the DNS domain `dnsDomain`, found through SRV
// records as LocateServer finds one (in this machine's site first when it is known); nullopt
// when none answers for that domain.
std::optional<NetlogonResponse> PingDomainController(DiscoveryNetwork& network, SiteMemory& memory,
                                                     const std::string& dnsDomain);

// The site of `computerName` (a server's own site), or with an empty name the client site that
// a DC of the joined domain reports for this machine. 1722 when the computer cannot be
// reached, kErrorNoSiteName when no site comes back.
SiteAnswer LookupSite(DiscoveryNetwork& network, SiteMemory& memory,
                      const std::string& computerName);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_DC_DISCOVERY_H_
