// The search for domain-local groups of other domains (-complete) over a fake forest of two
// domains: many groups found in one search, and many members split into batches.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

#include "membership/domain_local_groups.h"
#include "membership/forest_session.h"
#include "membership/group_details.h"
#include "membership/membership_fixture.h"
#include "membership/nested_expansion.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk {
namespace {

constexpr const char* kRoot = testing::kCorpDomainDn;
constexpr const char* kHost = testing::kCorpDc1Host;
constexpr char kOther[] = "DC=other,DC=test";
constexpr char kOtherHost[] = "dc2.other.test";
constexpr char kAlice[] = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";

std::string Numbered(const char* prefix, int index) {
  char name[24];
  std::snprintf(name, sizeof name, "%s%07d", prefix, index);
  return name;
}

// alice of the root is in `globals` global groups of the root; `locals` domain-local groups of
// the other domain each hold alice, or the global group of the same number when there is one.
void BuildForest(fake::FakeForest& forest, int globals, int locals) {
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddDomain({.dn = kOther, .flatName = "OTHER", .sid = "S-1-5-21-7-8-9"});
  forest.AddServer({.host = kOtherHost,
                    .domainDn = kOther,
                    .site = testing::kDefaultSite,
                    .globalCatalog = false});
  forest.AddUser(kAlice, "alice", "513");
  for (int i = 0; i < globals; ++i) {
    forest.AddGroup("CN=" + Numbered("G", i) + ",OU=Groups," + kRoot, Numbered("G", i),
                    "-2147483646", {kAlice});
  }
  for (int i = 0; i < locals; ++i) {
    const std::string member =
        i < globals ? "CN=" + Numbered("G", i) + ",OU=Groups," + kRoot : std::string(kAlice);
    forest.AddGroup("CN=" + Numbered("DL", i) + ",OU=Groups," + kOther, Numbered("DL", i),
                    "-2147483644", {member});
  }
}

void RunSearch(benchmark::State& state, int globals, int locals) {
  fake::FakeForest forest;
  BuildForest(forest, globals, locals);
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
    GroupDetailsMap groups;
    ReadDirectMemberships(console, forest, servers.dcConnection, servers.gcConnection, kAlice,
                          groups);
    NestedExpansion(*session).Run(groups);
    state.ResumeTiming();

    AccountObject alice;
    alice.dn = kAlice;
    AddDomainLocalGroups(*session, alice, groups);
    if (groups.size() != static_cast<std::size_t>(globals + locals)) {
      state.SkipWithError("groups missed");
    }
    benchmark::DoNotOptimize(groups);
    state.PauseTiming();
    session.reset();
    state.ResumeTiming();
  }
}

// One search finds every group, and each is then read as the nested expansion reads any other.
void BM_DomainLocalGroupsFound(benchmark::State& state) {
  const int locals = static_cast<int>(state.range(0));
  RunSearch(state, 0, locals);
  state.SetItemsProcessed(state.iterations() * locals);
}

// Many global groups, each a member the other domain is searched for, in batches; ten of them
// are in domain-local groups there. (Few of those, as the fake forest matches every filter
// against every entry of the domain searched, which would outweigh what is measured.)
void BM_DomainLocalBatches(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  RunSearch(state, groups, 10);
  state.SetItemsProcessed(state.iterations() * groups);
}

BENCHMARK(BM_DomainLocalGroupsFound)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->ArgName("groups")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DomainLocalBatches)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->ArgName("groups")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
