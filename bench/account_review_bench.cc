// Whole runs over many accounts (-in) that share one 2000-group closure of a fake forest, one
// read at a time and with -fast, as CSV, as JSON Lines and as the changes since an earlier CSV
// review (-since): the time of the program's own work and, as counters, the reads and round
// trips each needs and the megabytes written. Reads and round trips should grow as accounts plus
// groups, not as their product.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ios>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <variant>
#include <vector>

#include "driver/program.h"
#include "platform/fake/fake_forest.h"
#include "report/earlier_review_file.h"
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

// What the review writes: CSV, JSON Lines, or with -since (as CSV) the changes against an
// earlier CSV review of the same accounts, which has none: the earlier review is read whole and
// every account compared.
enum Format : std::int64_t { kCsv, kJson, kSince };

// An earlier CSV review of the closure for `accounts`, written once to a file.
std::string WriteEarlierReview(int accounts) {
  // A name of its own: other runs of the benchmark may write theirs at the same time.
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("nestwalk-bench-earlier-" + std::to_string(accounts) + "-" +
                             std::to_string(std::random_device{}()) + ".csv"))
                               .string();
  fake::FakeForest forest;
  std::istringstream list(testing::BuildSharedClosureForest(forest, 10, 200, accounts));
  std::ofstream file(path, std::ios::binary);
  std::ostringstream err;
  RunProgram({"nestwalk", "-np", "-q", "-csv", "-in", "-"}, list, file, err, forest);
  return path;
}

void BM_AccountReview(benchmark::State& state) {
  const int accounts = static_cast<int>(state.range(0));
  const bool fast = state.range(1) != 0;
  const auto format = static_cast<Format>(state.range(2));
  const std::string earlier = format == kSince ? WriteEarlierReview(accounts) : "";
  std::size_t reads = 0;
  int roundTrips = 0;
  std::size_t written = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForest forest;
    std::istringstream list(testing::BuildSharedClosureForest(forest, 10, 200, accounts));
    std::vector<std::string> args = {"nestwalk", "-np", "-q", "-in", "-"};
    args.push_back(format == kJson ? "-json" : "-csv");
    if (format == kSince) args.insert(args.end(), {"-since", earlier});
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
  if (format == kSince) std::remove(earlier.c_str());
  state.counters["reads"] = static_cast<double>(reads);
  state.counters["roundTrips"] = roundTrips;
  state.counters["outMB"] = static_cast<double>(written) / 1e6;
  state.SetItemsProcessed(state.iterations() * accounts);
}

// Reading an earlier CSV review alone, what -since adds to a review before its first account.
void BM_ReadEarlierReview(benchmark::State& state) {
  const std::string earlier = WriteEarlierReview(static_cast<int>(state.range(0)));
  std::size_t groups = 0;
  for (auto _ : state) {
    std::ifstream file(earlier, std::ios::binary);
    const auto read = ReadEarlierReview(file);
    if (!std::holds_alternative<EarlierReview>(read)) state.SkipWithError("unread");
    groups = std::get<EarlierReview>(read).groups().size();
  }
  std::remove(earlier.c_str());
  state.counters["groups"] = static_cast<double>(groups);
}

BENCHMARK(BM_ReadEarlierReview)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_AccountReview)
    ->ArgsProduct({{10, 100, 1000, 10000}, {0, 1}, {kCsv, kJson}})
    ->ArgNames({"accounts", "fast", "format"})
    ->Unit(benchmark::kMillisecond);
// An earlier review of 10000 accounts would be a file of 2.6 GB.
BENCHMARK(BM_AccountReview)
    ->ArgsProduct({{10, 100, 1000}, {0, 1}, {kSince}})
    ->ArgNames({"accounts", "fast", "format"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
