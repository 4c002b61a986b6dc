// Whole runs over many accounts (-in) that share one 2000-group closure of a fake forest, one
// read at a time and with -fast: the time of the program's own work and, as counters, the reads
// and round trips each needs. Both should grow as accounts plus groups, not as their product.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

void BM_AccountReview(benchmark::State& state) {
  const int accounts = static_cast<int>(state.range(0));
  const bool fast = state.range(1) != 0;
  std::size_t reads = 0;
  int roundTrips = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForest forest;
    const std::string list = testing::BuildSharedClosureForest(forest, 10, 200, accounts);
    std::vector<std::string> args = {"-np", "-q", "-csv", "-in", "-"};
    if (fast) args.push_back("-fast");
    state.ResumeTiming();
    const testing::RunOutcome outcome = testing::RunNestwalk(forest, args, list);
    if (outcome.status != 0) state.SkipWithError("the run failed");
    reads = forest.searches().size();
    roundTrips = forest.RoundTrips();
  }
  state.counters["reads"] = static_cast<double>(reads);
  state.counters["roundTrips"] = roundTrips;
  state.SetItemsProcessed(state.iterations() * accounts);
}

BENCHMARK(BM_AccountReview)
    ->ArgsProduct({{10, 100, 1000, 10000}, {0, 1}})
    ->ArgNames({"accounts", "fast"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
