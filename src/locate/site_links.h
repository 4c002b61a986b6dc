// The IP site links of one site, read from the inter-site transports container and traced.
#ifndef NESTWALK_LOCATE_SITE_LINKS_H_
#define NESTWALK_LOCATE_SITE_LINKS_H_

#include <string>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

// Searches, in pages, the IP site links of the configuration partition `configurationNc` whose
// siteList holds the site `siteName` (a site object's common name), and in debug mode traces each
// link's DN, cost and name as the directory returns them. Keeps nothing; a search that cannot start
// or a failing page ends it silently. The site's DN is escaped as a filter value: the name comes
// from the server and may hold any character.
void ReadSiteLinkCosts(Console& console, platform::Directory& directory,
                       platform::LdapHandle connection, const std::string& siteName,
                       const std::string& configurationNc);

}  // namespace nestwalk

#endif  // NESTWALK_LOCATE_SITE_LINKS_H_
