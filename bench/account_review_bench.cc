// Whole runs over many accounts (-in) that share one 2000-group closure of a fake forest, one
// read at a time and with -fast: the time of the program's own work and, as counters, the reads
// and round trips each needs. Both should grow as accounts plus groups, not as their product.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <ios>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "driver/program.h"
#include "platform/fake/fake_forest.h"
#include "support/closure_forest.h"

namespace nestwalk {
namespace {

// Standard output that counts what it is given and keeps none of it: 10000 accounts write
// 20 million rows, which a captured string would hold in memory and copy as it grows.
class CountingBuffer : public std::streambuf {
 public:
  std::size_t bytes() const { return bytes_; }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) ++bytes_;
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char*, std::streamsize count) override {
    bytes_ += static_cast<std::size_t>(count);
    return count;
  }

 private:
  std::size_t bytes_ = 0;
};

void BM_AccountReview(benchmark::State& state) {
  const int accounts = static_cast<int>(state.range(0));
  const bool fast = state.range(1) != 0;
  std::size_t reads = 0;
  int roundTrips = 0;
  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForest forest;
    std::istringstream list(testing::BuildSharedClosureForest(forest, 10, 200, accounts));
    std::vector<std::string> args = {"nestwalk", "-np", "-q", "-csv", "-in", "-"};
    if (fast) args.push_back("-fast");
    CountingBuffer counted;
    std::ostream out(&counted);
    std::ostringstream err;
    state.ResumeTiming();
    if (RunProgram(args, list, out, err, forest) != 0) state.SkipWithError("the run failed");
    reads = forest.searches().size();
    roundTrips = forest.RoundTrips();
    written = counted.bytes();
  }
  state.counters["reads"] = static_cast<double>(reads);
  state.counters["roundTrips"] = roundTrips;
  state.counters["csvMB"] = static_cast<double>(written) / 1e6;
  state.SetItemsProcessed(state.iterations() * accounts);
}

BENCHMARK(BM_AccountReview)
    ->ArgsProduct({{10, 100, 1000, 10000}, {0, 1}})
    ->ArgNames({"accounts", "fast"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
