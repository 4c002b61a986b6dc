// The nested expansion over many groups of a fake forest: the work list, the per-group reads and
// the server maps.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "membership/group_details.h"
#include "membership/membership_fixture.h"
#include "membership/nested_expansion.h"
#include "platform/fake/fake_forest.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

constexpr const char* kDomain = testing::kCorpDomainDn;
constexpr const char* kHost = testing::kCorpDc1Host;
constexpr char kAlice[] = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";

std::string GroupName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "G%07d", index);
  return name;
}

std::string GroupDn(int index) { return "CN=" + GroupName(index) + ",OU=Groups," + kDomain; }

// One domain whose groups form a binary tree upwards: alice is in group 0, and group i in groups
// 2i+1 and 2i+2. Work thus proceeds in key order while new groups keep arriving behind the done
// ones, the case in which a scan from the first entry for the next pending group costs most.
void BuildForest(fake::FakeForest& forest, int groups) {
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddUser(kAlice, "alice", "513");
  for (int i = 0; i < groups; ++i) {
    forest.AddGroup(GroupDn(i), GroupName(i), "-2147483646",
                    {i == 0 ? std::string(kAlice) : GroupDn((i - 1) / 2)});
  }
}

void BM_NestedExpansion(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  fake::FakeForest forest;
  BuildForest(forest, groups);
  platform::Services services = forest.services();
  std::ostringstream out;
  std::ostringstream err;
  Console console(out, err, false, false);
  ConnectionList connections(console, forest);
  const platform::LdapHandle dc = testing::BindTo(forest, kHost, 389);
  const platform::LdapHandle gc = testing::BindTo(forest, kHost, 3268);
  connections.Append(dc);
  connections.Append(gc);
  ServerMaps maps;
  maps.dcList[LowerCaseText(kDomain)] = {kHost, "hub", dc};
  maps.gcList[LowerCaseText(kDomain)] = {kHost, "hub", gc};

  for (auto _ : state) {
    GroupDetailsMap found;
    ReadDirectMemberships(console, forest, dc, gc, kAlice, found);
    NestedExpansion(console, services, connections, maps, gc, "").Run(found);
    if (found.size() != static_cast<std::size_t>(groups)) state.SkipWithError("groups missed");
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * groups);
}

BENCHMARK(BM_NestedExpansion)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(100000)
    ->Arg(200000)
    ->ArgName("groups")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
