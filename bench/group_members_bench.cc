// The reverse question (-members) of a group with 100 000 members on a fake forest: 90 000 users
// in 990 groups nested two levels under it, and 10 000 users whose primary group it is. Reads
// and, with -fast, round trips should grow with the nesting levels and the groups, never with
// the members; the time is the program's own work (the fake answers at once).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/program.h"
#include "platform/fake/fake_forest.h"

namespace nestwalk {
namespace {

constexpr char kDomain[] = "DC=corp,DC=example,DC=com";
constexpr char kGlobal[] = "-2147483646";
constexpr unsigned kTopRid = 5000;

std::string Dn(const std::string& name) { return "CN=" + name + ",OU=Bench," + kDomain; }

void BuildForest(fake::FakeForest& forest, int usersInGroups, int primaryUsers) {
  forest.AddDomain({.dn = kDomain, .flatName = "CORP", .sid = "S-1-5-21-1-2-3"});
  forest.AddServer({.host = "dc1.corp.example.com", .domainDn = kDomain, .site = "Default",
                    .globalCatalog = true});
  std::vector<std::string> middle;
  for (int m = 0; m < 10; ++m) middle.push_back(Dn("Middle " + std::to_string(m)));
  forest.AddGroup(Dn("Top"), "Top", kGlobal, middle, kTopRid);
  std::vector<std::vector<std::string>> leaves(10);
  std::vector<std::vector<std::string>> users(990);
  for (int u = 0; u < usersInGroups; ++u) {
    const std::string dn = Dn("user" + std::to_string(u));
    forest.AddUser(dn, "user" + std::to_string(u), "513");
    users[static_cast<std::size_t>(u % 990)].push_back(dn);
  }
  for (int l = 0; l < 990; ++l) {
    const std::string dn = Dn("Leaf " + std::to_string(l));
    forest.AddGroup(dn, "Leaf " + std::to_string(l), kGlobal, users[static_cast<std::size_t>(l)]);
    leaves[static_cast<std::size_t>(l % 10)].push_back(dn);
  }
  for (int m = 0; m < 10; ++m) {
    forest.AddGroup(middle[static_cast<std::size_t>(m)], "Middle " + std::to_string(m), kGlobal,
                    leaves[static_cast<std::size_t>(m)]);
  }
  for (int p = 0; p < primaryUsers; ++p) {
    forest.AddUser(Dn("primary" + std::to_string(p)), "primary" + std::to_string(p),
                   std::to_string(kTopRid));
  }
  forest.SetSizeLimit(1000);
  forest.SetMaxPageSize(1000);
}

// The process's peak resident memory so far, in MB (VmHWM).
double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024;
    }
  }
  return 0;
}

void BM_GroupMembers(benchmark::State& state) {
  const bool fast = state.range(0) != 0;
  std::size_t reads = 0;
  int roundTrips = 0;
  std::size_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForest forest;
    BuildForest(forest, 90000, 10000);
    std::vector<std::string> args = {"nestwalk", "-q", "-members", "CORP\\Top"};
    if (fast) args.push_back("-fast");
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    state.ResumeTiming();
    if (RunProgram(args, in, out, err, forest) != 0) state.SkipWithError("the run failed");
    state.PauseTiming();
    reads = forest.searches().size();
    roundTrips = forest.RoundTrips();
    const std::string text = out.str();
    lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    state.ResumeTiming();
  }
  state.counters["reads"] = static_cast<double>(reads);
  state.counters["roundTrips"] = roundTrips;
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["peakMB"] = PeakMegabytes();
}

BENCHMARK(BM_GroupMembers)->Arg(0)->Arg(1)->ArgName("fast")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace nestwalk
