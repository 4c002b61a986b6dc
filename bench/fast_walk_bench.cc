// Whole runs over a large nested closure of a fake forest, reading one group at a time and with
// -fast: the time of the program's own work and, as a counter, the round trips each needs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

void BM_WholeRun(benchmark::State& state) {
  const int levels = 10;
  const int groupsPerLevel = static_cast<int>(state.range(0));
  const bool fast = state.range(1) != 0;
  int roundTrips = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForest forest;
    std::vector<std::string> args =
        testing::BuildClosureForest(forest, levels, groupsPerLevel);
    if (fast) args.push_back("-fast");
    state.ResumeTiming();
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, args);
    if (outcome.status != 0) state.SkipWithError("the run failed");
    roundTrips = forest.RoundTrips();
  }
  state.counters["roundTrips"] = roundTrips;
  state.SetItemsProcessed(state.iterations() * levels * groupsPerLevel);
}

BENCHMARK(BM_WholeRun)
    ->ArgsProduct({{20, 200, 1000}, {0, 1}})
    ->ArgNames({"groupsPerLevel", "fast"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
