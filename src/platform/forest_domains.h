// The domains of a forest, read from the crossRef objects of its configuration partition.
#ifndef NESTWALK_PLATFORM_FOREST_DOMAINS_H_
#define NESTWALK_PLATFORM_FOREST_DOMAINS_H_

#include <string>

#include "platform/directory.h"
#include "platform/locator.h"

namespace nestwalk::platform {

// Binds to `serverName` with the caller's credentials, reads its configuration naming context
// and lists the dnsRoot of every crossRef under CN=Partitions whose systemFlags has bit 0x2
// (a domain partition). Any failure gives a non-zero status and no names. The connection it
// opens is closed before it returns.
ForestDomainsAnswer EnumerateForestDomainsOver(Directory& directory, const std::string& serverName);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_FOREST_DOMAINS_H_
