#include "ldap/read_ahead_directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"
#include "support/corp_forest.h"

namespace nestwalk {
namespace {

platform::SearchRequest ReadOf(const std::string& dn) {
  return {.base = dn,
          .scope = platform::SearchScope::kBase,
          .filter = "(objectClass=*)",
          .attributes = {},
          .attributesOnly = false};
}

class CountingObserver : public ReadAheadObserver {
 public:
  void OnAnswer(platform::LdapHandle, const platform::SearchRequest& request,
                const platform::SearchResult&) override {
    bases.push_back(request.base);
  }
  void OnCollected() override {}
  std::vector<std::string> bases;
};

// More reads ahead than the window: the rest wait, each answer serves one search, and a search
// not asked ahead goes to the server; Unbind drops what is left.
TEST(ReadAheadDirectoryTest, AWindowPerConnectionEachAnswerOnceAndNothingAfterUnbind) {
  fake::FakeForest forest;
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  std::vector<std::string> groups;
  for (int i = 0; i < kReadWindow + 50; ++i) {
    groups.push_back("CN=G" + std::to_string(i) + "," + testing::kCorpDomainDn);
    forest.AddGroup(groups.back(), "G" + std::to_string(i), "2", {});
  }
  FailFastDirectory failFast(forest);
  ReadAheadDirectory directory(failFast);
  CountingObserver observer;
  directory.SetObserver(&observer);
  const platform::LdapHandle handle = forest.Open(testing::kCorpDc1Host, 389, false).handle;
  directory.NegotiateBind(handle, std::nullopt);
  for (const std::string& dn : groups) directory.Prefetch(handle, ReadOf(dn));

  // The last one was queued: asking for it first still answers it.
  EXPECT_EQ(directory.Search(handle, ReadOf(groups.back())).entries.at(0).dn, groups.back());
  EXPECT_EQ(directory.Search(handle, ReadOf(groups.front())).entries.at(0).dn, groups.front());
  EXPECT_EQ(directory.Search(handle, ReadOf(groups.front())).entries.at(0).dn, groups.front());
  EXPECT_EQ(directory.statistics().sent, kReadWindow + 50);
  EXPECT_EQ(directory.statistics().used, 2);
  EXPECT_EQ(directory.statistics().mostInFlight, kReadWindow);
  EXPECT_EQ(forest.connection(handle).mostInFlight, kReadWindow);
  EXPECT_EQ(observer.bases.size(), groups.size() + 1);  // the third search went to the server

  directory.Prefetch(handle, ReadOf(groups[1]));
  directory.Unbind(handle);
  directory.CollectAnswers(std::chrono::milliseconds(0));
  EXPECT_EQ(forest.HandleMisuseCount(), 0);
  EXPECT_EQ(observer.bases.size(), groups.size() + 1);
}

}  // namespace
}  // namespace nestwalk
