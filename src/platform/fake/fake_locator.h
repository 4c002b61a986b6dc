// The locator answer a fake forest computes from its servers when no answer was set.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_LOCATOR_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_LOCATOR_H_

#include <set>
#include <string>

#include "platform/fake/fake_tree.h"
#include "platform/locator.h"

namespace nestwalk::fake {

// The first server of the named domain (flat or DNS name, case ignored; empty: `joinedDomain`)
// that fits `flags`, preferring one in `localSite`. A GC query for the forest root's name takes
// any GC of the forest when the root domain has none. A non-empty `computerName` (with or without
// leading backslashes) must be a known server, else 1722; when that server fits it is the answer.
// 1355 when none fits. The servers of `silentHosts` (lower-cased) answer no ping: none of them is
// an answer.
platform::LocatorAnswer ComputeDcAnswer(const FakeTree& tree,
                                        const std::set<std::string>& silentHosts,
                                        const std::string& localSite,
                                        const std::string& joinedDomain,
                                        const std::string& computerName,
                                        const std::string& domainName, unsigned flags);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_LOCATOR_H_
