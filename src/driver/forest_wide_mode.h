// The forest-wide mode (-tryall): the forest's domains, the inventory of its global catalogs
// and the site links of the DC's and the GC's sites, taken between the direct memberships and
// the nested expansion. It only adds diagnostic output; the memberships do not depend on it.
#ifndef NESTWALK_DRIVER_FOREST_WIDE_MODE_H_
#define NESTWALK_DRIVER_FOREST_WIDE_MODE_H_

#include "ldap/server_selection.h"
#include "locate/gc_inventory.h"
#include "platform/console.h"
#include "platform/services.h"

namespace nestwalk {

struct ForestSurvey {
  ForestDomainMap forestDomains;
  ForestGcInventory inventory;
};

// Asks the GC named in `servers` for the forest's domains, then reads the GC inventory and the
// site links of the DC's site and of the GC's site over the DC connection. When the domains
// cannot be enumerated it writes "Couldn't enumerate Forest trusts - <status>" and returns an
// empty survey without searching. Never ends the run.
ForestSurvey RunForestWideMode(Console& console, platform::Services& services,
                               const SelectedServers& servers);

}  // namespace nestwalk

#endif  // NESTWALK_DRIVER_FOREST_WIDE_MODE_H_
