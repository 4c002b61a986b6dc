// The nested expansion over many groups of a fake forest: the work list, the per-group reads and
// the server maps.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "membership/membership_fixture.h"
#include "membership/nested_expansion.h"
#include "platform/fake/fake_forest.h"

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
  std::ostringstream out;
  std::ostringstream err;
  Console console(out, err, false, false);

  for (auto _ : state) {
    state.PauseTiming();
    // A session of its own each round: a session keeps what it read.
    std::optional<ForestSession> session;
    session.emplace(console, forest, WalkPace::kOneReadAtATime, ReadNeeds{}, "");
    if (!session->Connect("CORP")) state.SkipWithError("no servers");
    const SelectedServers& servers = session->servers();
    state.ResumeTiming();
    GroupDetailsMap found;
    ReadDirectMemberships(console, forest, servers.dcConnection, servers.gcConnection, kAlice,
                          found);
    NestedExpansion(*session).Run(found);
    if (found.size() != static_cast<std::size_t>(groups)) state.SkipWithError("groups missed");
    benchmark::DoNotOptimize(found);
    state.PauseTiming();
    session.reset();
    state.ResumeTiming();
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
