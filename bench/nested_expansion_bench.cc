// The nested expansion over many groups: the work list, the per-group reads and the server
// maps, with the directory's own cost taken out. The fake forest computes memberOf afresh from
// every entry on each search, so its searches are answered here from an index of the same forest.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <unordered_map>

#include "ldap/connection_list.h"
#include "ldap/server_maps.h"
#include "membership/group_details.h"
#include "membership/nested_expansion.h"
#include "platform/fake/fake_forest.h"
#include "text/case_folding.h"

namespace nestwalk {
namespace {

constexpr char kDomain[] = "DC=corp,DC=example,DC=com";
constexpr char kHost[] = "dc1.corp.example.com";
constexpr char kAlice[] = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";

std::string GroupDn(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "G%07d", index);
  return "CN=" + std::string(name) + ",OU=Groups," + kDomain;
}

// A fake forest of one domain whose base searches are answered from an index. The groups form a
// binary tree upwards: alice is in group 0, and group i in groups 2i+1 and 2i+2. Work thus
// proceeds in key order while new groups keep arriving behind the done ones, the case in which a
// scan from the first entry for the next pending group costs most.
class IndexedForest : public fake::FakeForest {
 public:
  explicit IndexedForest(int groups) {
    AddDomain({.dn = kDomain, .flatName = "CORP", .sid = "S-1-5-21-1-2-3"});
    AddServer({.host = kHost, .domainDn = kDomain, .site = "Hub", .globalCatalog = true});
    index_[LowerCaseText(kAlice)] = {kAlice, {{"memberOf", {GroupDn(0)}}}};
    for (int i = 0; i < groups; ++i) {
      platform::Entry entry{
          GroupDn(i),
          {{"sAMAccountName", {"G" + std::to_string(i)}}, {"groupType", {"-2147483646"}}}};
      std::vector<std::string> parents;
      for (int parent : {2 * i + 1, 2 * i + 2}) {
        if (parent < groups) parents.push_back(GroupDn(parent));
      }
      if (!parents.empty()) entry.attributes.push_back({"memberOf", std::move(parents)});
      index_[LowerCaseText(entry.dn)] = std::move(entry);
    }
  }

  platform::SearchResult Search(platform::LdapHandle,
                                const platform::SearchRequest& request) override {
    auto found = index_.find(LowerCaseText(request.base));
    if (found == index_.end()) return {.code = platform::kLdapNoSuchObject, .entries = {}};
    return {.code = platform::kLdapSuccess, .entries = {found->second}};
  }

 private:
  std::unordered_map<std::string, platform::Entry> index_;
};

platform::LdapHandle Bind(fake::FakeForest& forest, int port) {
  platform::LdapHandle handle = forest.Open(std::string(kHost), port, false).handle;
  forest.NegotiateBind(handle, std::nullopt);
  return handle;
}

void BM_NestedExpansion(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  IndexedForest forest(groups);
  platform::Services services = forest.services();
  std::ostringstream out;
  std::ostringstream err;
  Console console(out, err, false, false);
  ConnectionList connections(console, forest);
  const platform::LdapHandle dc = Bind(forest, 389);
  const platform::LdapHandle gc = Bind(forest, 3268);
  connections.Append(dc);
  connections.Append(gc);
  ServerMaps maps;
  maps.dcList[LowerCaseText(kDomain)] = {kHost, "hub", dc};
  maps.gcList[LowerCaseText(kDomain)] = {kHost, "hub", gc};

  for (auto _ : state) {
    GroupDetailsMap found;
    ReadDirectMemberships(console, forest, dc, gc, kAlice, found);
    NestedExpansion(console, services, connections, maps, gc, "").Run(found);
    if (found.size() != static_cast<std::size_t>(groups)) state.SkipWithError("groups missed");
    benchmark::DoNotOptimize(found);
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
