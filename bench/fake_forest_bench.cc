// What one search of the fake forest costs as the forest grows: the whole-run tests and the
// benchmarks of other layers pay it on every read.
#include <benchmark/benchmark.h>

#include <string>

#include "membership/membership_fixture.h"
#include "membership/primary_group.h"
#include "platform/fake/fake_forest.h"
#include "platform/sid.h"

namespace nestwalk {
namespace {

constexpr const char* kDomain = testing::kCorpDomainDn;
constexpr const char* kHost = testing::kCorpDc1Host;

std::string GroupDn(int index) { return "CN=G" + std::to_string(index) + ",OU=Groups," + kDomain; }

// `groups` global groups in a chain: group i is a member of group i + 1.
void BuildChain(fake::FakeForest& forest, int groups) {
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  for (int i = 0; i < groups; ++i) {
    std::vector<std::string> members;
    if (i > 0) members.push_back(GroupDn(i - 1));
    forest.AddGroup(GroupDn(i), std::string("G").append(std::to_string(i)), "-2147483646", members,
                    static_cast<unsigned>(1000 + i));
  }
}

void BM_FakeBaseRead(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  fake::FakeForest forest;
  BuildChain(forest, groups);
  const platform::LdapHandle gc = testing::BindTo(forest, kHost, static_cast<int>(state.range(1)));
  const platform::SearchRequest read{.base = GroupDn(groups / 2),
                                     .scope = platform::SearchScope::kBase,
                                     .filter = "(objectclass=*)",
                                     .attributes = {"sAMAccountName", "memberOf", "groupType"},
                                     .attributesOnly = false};
  for (auto _ : state) benchmark::DoNotOptimize(forest.Search(gc, read));
}

void BM_FakeSubtreeSidSearch(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  fake::FakeForest forest;
  BuildChain(forest, groups);
  const platform::LdapHandle dc = testing::BindTo(forest, kHost, 389);
  const std::string sid = *platform::SidFromText(std::string(testing::kCorpSid) + "-" +
                                                 std::to_string(1000 + groups / 2));
  const platform::SearchRequest search{.base = kDomain,
                                       .scope = platform::SearchScope::kSubtree,
                                       .filter = PrimaryGroupFilter(sid),
                                       .attributes = {"objectSid"},
                                       .attributesOnly = true};
  for (auto _ : state) benchmark::DoNotOptimize(forest.Search(dc, search));
}

BENCHMARK(BM_FakeBaseRead)
    ->ArgsProduct({{100, 1000, 10000}, {389, 3268}})
    ->ArgNames({"groups", "port"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FakeSubtreeSidSearch)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->ArgName("groups")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace nestwalk
