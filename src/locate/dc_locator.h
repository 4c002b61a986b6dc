// Locating a domain controller or global catalog, and the site of a machine.
#ifndef NESTWALK_LOCATE_DC_LOCATOR_H_
#define NESTWALK_LOCATE_DC_LOCATOR_H_

#include <string>

#include "platform/console.h"
#include "platform/locator.h"

namespace nestwalk {

struct LocatedServer {
  std::string name;  // lower case, still behind its two backslashes; empty: none found
  std::string site;  // lower case
  bool isGlobalCatalog = false;
};

// Asks the locator of `baseMachine` (empty: this machine) for a DC of `domainName`, or for a GC
// when `wantGlobalCatalog`. On failure writes the locator's line, then its reason indented on a
// line of its own when it gave one, and returns an empty name.
LocatedServer LocateDomainController(Console& console, platform::Locator& locator,
                                     const std::string& baseMachine, const std::string& domainName,
                                     bool wantGlobalCatalog);

// The site of `computerName` (empty: this machine) as the platform gives it; empty on failure.
std::string LookupSiteName(Console& console, platform::Locator& locator,
                           const std::string& computerName);

}  // namespace nestwalk

#endif  // NESTWALK_LOCATE_DC_LOCATOR_H_
