// The inventory of the forest's global catalogs, read from the Sites container of the
// configuration partition: each GC's host, the forest domain it is master for, and its site.
#ifndef NESTWALK_LOCATE_GC_INVENTORY_H_
#define NESTWALK_LOCATE_GC_INVENTORY_H_

#include <map>
#include <string>

#include "platform/console.h"
#include "platform/directory.h"

namespace nestwalk {

struct gcdata {
  std::string hostName;    // lower case; "--": no dNSHostName; empty: no server object returned
  std::string domainName;  // lower case; empty: master for no forest domain
  std::string siteName;    // lower case
  friend bool operator==(const gcdata&, const gcdata&) = default;
};

// Keyed by LowerCaseText of the server object's DN.
using GcInventory = std::map<std::string, gcdata>;
// LowerCaseText of a server object's DN -> its lower-cased dNSHostName ("--" when absent).
using ServerHostMap = std::map<std::string, std::string>;
// LowerCaseText of a DNS domain name -> true for every domain of the forest.
using ForestDomainMap = std::map<std::string, bool>;

struct ForestGcInventory {
  GcInventory gcs;
  ServerHostMap serverHosts;
};

// Reads every server object and every GC's NTDS Settings object below
// "CN=Sites,<configurationNc>" over `connection` in one paged search, joins them by server DN
// and, in debug mode, traces each object and lists the inventory. A search that cannot start
// or a page that fails ends the reading silently; what was read by then is joined and listed.
// Never fails otherwise; writes nothing without debug.
ForestGcInventory ReadForestGcInventory(Console& console, platform::Directory& directory,
                                        platform::LdapHandle connection,
                                        const std::string& configurationNc,
                                        const ForestDomainMap& forestDomains);

}  // namespace nestwalk

#endif  // NESTWALK_LOCATE_GC_INVENTORY_H_
