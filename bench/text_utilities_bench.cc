// The text utilities on the names the nested expansion handles for every group: folding a DN
// into a map key and turning a group's domain part into a DNS name; and the command line.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cmdline/command_line.h"
#include "text/case_folding.h"
#include "text/dn_names.h"
#include "text/split_text.h"

namespace nestwalk {
namespace {

// A group DN of a given length: CN=..., OU=... components and a three-label domain.
std::string GroupDn(int length) {
  std::string dn = "CN=Sales Team Europe";
  while (static_cast<int>(dn.size()) < length - 40) dn += ",OU=Department Of Things";
  return dn + ",DC=Emea,DC=Corp,DC=Example,DC=Com";
}

void BM_LowerCaseText(benchmark::State& state) {
  const std::string dn = GroupDn(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(LowerCaseText(dn));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dn.size()));
}
BENCHMARK(BM_LowerCaseText)->Arg(64)->Arg(256)->Arg(4096);

void BM_DnToDomainName(benchmark::State& state) {
  std::string dn = GroupDn(static_cast<int>(state.range(0)));
  dn = dn.substr(dn.find(",DC=") + 1);  // the domain part, as the expansion passes it
  for (auto _ : state) benchmark::DoNotOptimize(DnToDomainName(dn));
}
BENCHMARK(BM_DnToDomainName)->Arg(64)->Arg(4096);

void BM_DnComponent(benchmark::State& state) {
  const std::string dn =
      "CN=NTDS Settings,CN=DC1,CN=Servers,CN=Hub,CN=Sites,CN=Configuration,DC=corp,DC=com";
  for (auto _ : state) benchmark::DoNotOptimize(DnComponent(dn, 3));
}
BENCHMARK(BM_DnComponent);

void BM_SplitText(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> pieces;
    benchmark::DoNotOptimize(SplitText("dc1.corp.example.com:3268", ":", pieces));
  }
}
BENCHMARK(BM_SplitText);

void BM_ParseCommandLine(benchmark::State& state) {
  const std::vector<std::string> words{"nestwalk", "-d",          "-s",      "dc1.corp.example.com",
                                       "-u",       "CORP\\alice", "-tryall", "-np"};
  for (auto _ : state) {
    CCmdLine commandLine(words, false);
    benchmark::DoNotOptimize(commandLine.GetArgument("u"));
  }
}
BENCHMARK(BM_ParseCommandLine);

}  // namespace
}  // namespace nestwalk
