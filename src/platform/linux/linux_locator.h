// The locator of the real platform: DNS SRV records and LDAP pings in place of the Windows
// domain controller locator.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_LOCATOR_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_LOCATOR_H_

#include <mutex>

#include "platform/directory.h"
#include "platform/linux/dc_discovery.h"
#include "platform/linux/ping_race.h"
#include "platform/linux/system_discovery_network.h"
#include "platform/linux/trust_partner_memory.h"
#include "platform/locator.h"
#include "platform/platform.h"

namespace nestwalk::platform {

// Statuses: 0; kErrorNoSuchDomain (1355) when no server of the domain answers;
// kRpcServerUnavailable (1722) when a named computer cannot be reached; kErrorNoSiteName
// (1919) when no site can be learnt; EnumerateForestDomains passes on its own statuses.
// Remembers this machine's site between calls, so later queries try its DCs first, and the
// trust partners of each flat name it had to look up (a flat name that no known domain has is
// looked up among the trusts of this machine's own domain, over an LDAP connection bound with
// the caller's ticket). Calls may come from several threads at once and run side by side; only
// the site and the trust partners are shared between them.
// Pings that a call left running end on their own and are waited for at destruction.
class LinuxLocator : public Locator {
 public:
  // `directory` is used for the forest's domains and the trusts and must outlive this object.
  // `pings` says how the candidates of one SRV list are tried, `pingWait` how long each ping
  // waits to connect and again for its answer.
  LinuxLocator(Directory& directory, CandidatePings pings,
               std::chrono::milliseconds pingWait = kPingTimeout);

  LocatorAnswer GetDcName(const std::string& computerName, const std::string& domainName,
                          unsigned flags) override;
  SiteAnswer GetSiteName(const std::string& computerName) override;
  ForestDomainsAnswer EnumerateForestDomains(const std::string& serverName) override;

 private:
  // Runs `lookup` on a copy of the remembered site and keeps what it learnt.
  template <typename Lookup>
  auto WithSite(Lookup lookup);

  Directory& directory_;
  SystemDiscoveryNetwork network_;
  PingRace race_{network_};
  TrustPartnerMemory trustPartners_;
  std::mutex siteMutex_;  // guards site_
  SiteMemory site_;
  const CandidatePings pings_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_LOCATOR_H_
