// The server selection phase against an in-memory forest: the program's own cost of locating,
// binding and reading two RootDSEs, with and without the debug trace.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "ldap/connection_list.h"
#include "ldap/server_selection.h"
#include "membership/plain_walk.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk {
namespace {

// A child domain whose DC is a GC, and the forest's GC in the root domain: three connections.
void BuildForest(fake::FakeForest& forest) {
  const std::string root = "DC=corp,DC=example,DC=com";
  const std::string child = "DC=child," + root;
  forest.SetLocalSite(platform::SiteAnswer{0, "Default-First-Site-Name"});
  forest.AddDomain({.dn = root, .flatName = "CORP", .sid = "S-1-5-21-1-2-3"});
  forest.AddServer({"gc1.corp.example.com", root, "Default-First-Site-Name", true});
  forest.AddDomain({.dn = child, .flatName = "CHILD", .sid = "S-1-5-21-4-5-6"});
  forest.AddServer({"dcc1.child.corp.example.com", child, "Branch", true});
}

void BM_SelectServers(benchmark::State& state) {
  const bool debug = state.range(0) != 0;
  fake::FakeForest forest;
  BuildForest(forest);
  PlainWalk strategy(forest.services(), "");
  for (auto _ : state) {
    std::ostringstream out;
    std::ostringstream err;
    Console console(out, err, false, debug);
    ConnectionList connections(console, forest);
    ServerMaps maps;
    benchmark::DoNotOptimize(SelectServers(console, strategy, connections, maps, "CHILD", ""));
    connections.UnbindAllConnections();
  }
}
BENCHMARK(BM_SelectServers)->Arg(0)->Arg(1);

}  // namespace
}  // namespace nestwalk
