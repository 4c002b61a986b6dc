// The RootDSE a fake server reports, built from the forest the way a Samba 4.17 DC reports it.
#ifndef NESTWALK_PLATFORM_FAKE_FAKE_ROOT_DSE_H_
#define NESTWALK_PLATFORM_FAKE_FAKE_ROOT_DSE_H_

#include <vector>

#include "platform/directory.h"
#include "platform/fake/fake_forest.h"
#include "platform/fake/fake_tree.h"

namespace nestwalk::fake {

inline constexpr char kFakeCurrentTime[] = "20261208000000.0Z";

// The naming contexts (the server's domain, configuration, schema), host and server names,
// the capabilities .800, .1670 and .1791, functional levels 4, a fixed currentTime and a
// highestCommittedUsn that grows with the number of entries.
std::vector<platform::Attribute> BuildRootDse(const FakeTree& tree, const ServerSetup& server);

}  // namespace nestwalk::fake

#endif  // NESTWALK_PLATFORM_FAKE_FAKE_ROOT_DSE_H_
