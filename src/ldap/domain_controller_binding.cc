#include "ldap/domain_controller_binding.h"

#include "ldap/open_ldap.h"
#include "locate/dc_locator.h"
#include "platform/locator.h"

namespace nestwalk {

BoundDomainController LocateAndBindDomainController(Console& console, platform::Services& services,
                                                    const std::string& initialServer,
                                                    const std::string& dnsName) {
  const LocatedServer located =
      LocateDomainController(console, services.locator, initialServer, dnsName, false);
  const std::string name = platform::HostOfServerName(located.name);
  console.DebugErr("DC: " + name + "\n");
  // No server located is no server to ask: an empty host would reach the library's default one.
  // The profile of the principal's DC connection.
  const platform::LdapHandle connection =
      name.empty() ? platform::LdapHandle()
                   : OpenWithCallerCredentials(console, services.directory, name,
                                               kDefaultPortSelector, /*referrals=*/false);
  return BoundDomainController{.serverName = name,
                               .siteName = located.site,
                               .isGlobalCatalog = located.isGlobalCatalog,
                               .connection = connection};
}

}  // namespace nestwalk
