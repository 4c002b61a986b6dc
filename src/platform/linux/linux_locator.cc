#include "platform/linux/linux_locator.h"

#include "platform/forest_domains.h"

namespace nestwalk::platform {

LinuxLocator::LinuxLocator(Directory& directory) : directory_(directory) {}

LocatorAnswer LinuxLocator::GetDcName(const std::string& computerName,
                                      const std::string& domainName, unsigned flags) {
  return LocateServer(network_, site_, computerName, domainName, flags);
}

SiteAnswer LinuxLocator::GetSiteName(const std::string& computerName) {
  return LookupSite(network_, site_, computerName);
}

ForestDomainsAnswer LinuxLocator::EnumerateForestDomains(const std::string& serverName) {
  return EnumerateForestDomainsOver(directory_, serverName);
}

void LinuxLocator::PingCandidatesTogether() { pingTogether_ = true; }

}  // namespace nestwalk::platform
