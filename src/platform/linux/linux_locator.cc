#include "platform/linux/linux_locator.h"

#include "platform/forest_domains.h"
#include "platform/linux/trusted_domains.h"

namespace nestwalk::platform {

LinuxLocator::LinuxLocator(Directory& directory, CandidatePings pings,
                           std::chrono::milliseconds pingWait)
    : directory_(directory),
      trustPartners_([&directory](const std::string& dcHost, const std::string& flatName) {
        return LookUpTrustPartners(directory, dcHost, flatName);
      }),
      pings_(pings) {
  network_.SetPingWait(pingWait);
}

template <typename Lookup>
auto LinuxLocator::WithSite(Lookup lookup) {
  SiteMemory memory;
  {
    const std::lock_guard lock(siteMutex_);
    memory = site_;
  }
  const std::string before = memory.site;
  auto answer = lookup(memory);
  // Only a call that learnt a site writes it, so one that learnt nothing cannot undo another's.
  if (memory.site != before) {
    const std::lock_guard lock(siteMutex_);
    site_ = memory;
  }
  return answer;
}

LocatorAnswer LinuxLocator::GetDcName(const std::string& computerName,
                                      const std::string& domainName, unsigned flags) {
  PingRace* together = pings_ == CandidatePings::kTogether ? &race_ : nullptr;
  const TrustPartnerLookup trustPartners = [this](const std::string& dcHost,
                                                  const std::string& flatName) {
    return trustPartners_.PartnersOf(dcHost, flatName);
  };
  return WithSite([&](SiteMemory& memory) {
    return LocateServer(network_, memory, computerName, domainName, flags, trustPartners, together);
  });
}

SiteAnswer LinuxLocator::GetSiteName(const std::string& computerName) {
  return WithSite([&](SiteMemory& memory) { return LookupSite(network_, memory, computerName); });
}

ForestDomainsAnswer LinuxLocator::EnumerateForestDomains(const std::string& serverName) {
  return EnumerateForestDomainsOver(directory_, serverName);
}

}  // namespace nestwalk::platform
