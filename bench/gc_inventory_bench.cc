// Reading the GC inventory of a large forest: paging, per-object handling and the join, with
// the directory's own cost taken out (the pages are scripted).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "locate/gc_inventory.h"
#include "locate/scripted_directory_fixture.h"

namespace nestwalk {
namespace {

// `servers` server objects in 20 sites, every second one a GC master for one of 10 domains;
// the settings arrive after all server objects, in pages of 1000 entries.
std::vector<std::vector<platform::Entry>> ForestPages(int servers) {
  const std::string config = "CN=Configuration,DC=corp,DC=com";
  std::vector<platform::Entry> entries;
  for (int i = 0; i < servers; ++i) {
    std::string dn = "CN=DC" + std::to_string(i) + ",CN=Servers,CN=Site" + std::to_string(i % 20) +
                     ",CN=Sites," + config;
    entries.push_back({dn, {{"dNSHostName", {"DC" + std::to_string(i) + ".Corp.com"}}}});
  }
  for (int i = 0; i < servers; i += 2) {
    std::string dn = "CN=NTDS Settings," + entries[static_cast<std::size_t>(i)].dn;
    std::string domain = "DC=d" + std::to_string(i % 10) + ",DC=corp,DC=com";
    entries.push_back({dn, {{"hasMasterNCs", {config, "CN=Schema," + config, domain}}}});
  }
  std::vector<std::vector<platform::Entry>> pages;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i % platform::kPageSize == 0) pages.emplace_back();
    pages.back().push_back(entries[i]);
  }
  return pages;
}

void BM_ReadForestGcInventory(benchmark::State& state) {
  const int servers = static_cast<int>(state.range(0));
  const bool debug = state.range(1) != 0;
  std::vector<std::vector<platform::Entry>> pages = ForestPages(servers);
  ForestDomainMap domains;
  for (int i = 0; i < 10; ++i) domains["d" + std::to_string(i) + ".corp.com"] = true;
  for (auto _ : state) {
    testing::ScriptedDirectory directory(pages);
    std::ostringstream out;
    std::ostringstream err;
    Console console(out, err, false, debug);
    ForestGcInventory inventory = ReadForestGcInventory(console, directory, platform::LdapHandle(1),
                                                        "CN=Configuration,DC=corp,DC=com", domains);
    benchmark::DoNotOptimize(inventory);
  }
  state.SetItemsProcessed(state.iterations() * (servers + servers / 2));
}

BENCHMARK(BM_ReadForestGcInventory)
    ->ArgsProduct({{100, 1000, 10000}, {0, 1}})
    ->ArgNames({"servers", "debug"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nestwalk
