// The passes after the walk over many groups: the membership graph, the shortest chains and the
// token's groups, each one breadth-first pass that should grow linearly with the groups.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "membership/group_details.h"
#include "report/membership_chains.h"
#include "report/membership_graph.h"
#include "report/token_estimate.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

constexpr char kAlice[] = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";

std::string GroupDn(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "G%07d", index);
  return "CN=" + std::string(name) + ",OU=Groups,DC=corp,DC=example,DC=com";
}

// As the walk leaves them: alice is in group 0, group i in groups 2i+1 and 2i+2 (a binary tree
// upwards), and every group also in the one three places further on, so chains of one length
// meet (diamonds) and some links close cycles.
void BuildGroups(GroupDetailsMap& groups, int count) {
  groups.AddGroupOf(kAlice, GroupDn(0));
  for (int i = 0; i < count; ++i) {
    const std::string dn = GroupDn(i);
    for (int parent : {2 * i + 1, 2 * i + 2, (i + 3) % count}) {
      if (parent < count) groups.AddGroupOf(dn, GroupDn(parent));
    }
    groups.StoreDetails(LowerCaseText(dn), {"G", i % 3 == 0 ? "-2147483644" : "-2147483646", ""});
  }
}

void BM_ShortestChains(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  GroupDetailsMap groups;
  BuildGroups(groups, count);
  for (auto _ : state) {
    const MembershipGraph graph(groups, kAlice);
    const MembershipChains chains(graph);
    benchmark::DoNotOptimize(chains.ChainTo(graph.groupCount() - 1).groups.size());
  }
  state.SetComplexityN(count);
}
BENCHMARK(BM_ShortestChains)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

void BM_TokenEstimate(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  GroupDetailsMap groups;
  BuildGroups(groups, count);
  const MembershipGraph graph(groups, kAlice);
  for (auto _ : state) benchmark::DoNotOptimize(EstimateToken(graph, kAlice, 0).bytes());
  state.SetComplexityN(count);
}
BENCHMARK(BM_TokenEstimate)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

}  // namespace
}  // namespace nestwalk
