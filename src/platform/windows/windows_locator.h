// The locator of Windows: DsGetDcNameW and DsGetSiteNameW ask the system's DC locator, which
// resolves flat and DNS names (trusted domains' among them) and prefers DCs of this machine's
// site; the forest's domains come from DsEnumerateDomainTrustsW, or with -as from the
// forest's crossRef objects read as that identity.
#ifndef NESTWALK_PLATFORM_WINDOWS_WINDOWS_LOCATOR_H_
#define NESTWALK_PLATFORM_WINDOWS_WINDOWS_LOCATOR_H_

#include "platform/identity_directory.h"
#include "platform/locator.h"

namespace nestwalk::platform {

// Statuses are the calls' own (0, 1355 for no such domain, 1722 for a computer that cannot be
// reached, ...). Holds no state of its own: every call may come from any thread.
class WindowsLocator : public Locator {
 public:
  // `directory` must outlive the locator.
  explicit WindowsLocator(IdentityDirectory& directory) : directory_(directory) {}

  LocatorAnswer GetDcName(const std::string& computerName, const std::string& domainName,
                          unsigned flags) override;
  SiteAnswer GetSiteName(const std::string& computerName) override;
  // DsEnumerateDomainTrustsW with DS_DOMAIN_IN_FOREST asked of `serverName`: each domain's DNS
  // name (a domain the answer gives none for is left out). When the directory binds as an
  // identity, the system call would still ask as the logged-on user: the crossRefs of
  // `serverName` are read over LDAP with the identity instead (EnumerateForestDomainsOver).
  ForestDomainsAnswer EnumerateForestDomains(const std::string& serverName) override;

 private:
  IdentityDirectory& directory_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_WINDOWS_LOCATOR_H_
