// The trusts of this machine's domain as one of its domain controllers lists them: the
// trustedDomain objects under CN=System of the domain.
#ifndef NESTWALK_PLATFORM_LINUX_TRUSTED_DOMAINS_H_
#define NESTWALK_PLATFORM_LINUX_TRUSTED_DOMAINS_H_

#include <string>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::platform {

// The trustPartner of each entry whose trustDirection is not 0 (a disabled trust) and whose
// trustType is 2 (uplevel: an Active Directory domain, so the partner is its DNS name), in
// entry order. An entry without one of the three, or whose number is no decimal, is skipped.
std::vector<std::string> EnabledTrustPartners(const std::vector<Entry>& trustedDomains);

// Binds to `dcHost` with the caller's Kerberos ticket and gives the EnabledTrustPartners of the
// trustedDomain objects of its domain whose flatName is `flatName`. Empty when there are none
// or any step fails. The connection it opens is closed before it returns.
std::vector<std::string> LookUpTrustPartners(Directory& directory, const std::string& dcHost,
                                             const std::string& flatName);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_TRUSTED_DOMAINS_H_
