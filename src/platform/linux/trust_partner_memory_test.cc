#include "platform/linux/trust_partner_memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace nestwalk::platform {
namespace {

TEST(TrustPartnerMemoryTest, LooksEachFlatNameUpOnceWhateverTheThreads) {
  std::atomic<int> lookups = 0;
  TrustPartnerMemory memory([&](const std::string& dcHost, const std::string& flatName) {
    ++lookups;
    return flatName == "BETA" ? std::vector<std::string>{dcHost + " beta.test"}
                              : std::vector<std::string>();
  });
  const std::vector<std::string> beta = {"dc1 beta.test"};
  std::vector<std::vector<std::string>> answers(8);
  {
    std::vector<std::jthread> callers;
    for (std::vector<std::string>& answer : answers) {
      callers.emplace_back([&] { answer = memory.PartnersOf("dc1", "BETA"); });
    }
  }
  for (const std::vector<std::string>& answer : answers) EXPECT_EQ(answer, beta);
  EXPECT_EQ(lookups, 1);

  // The name ignores case; the DC asked is the first caller's; an empty answer is kept too.
  EXPECT_EQ(memory.PartnersOf("dc2", "beta"), beta);
  EXPECT_TRUE(memory.PartnersOf("dc1", "GAMMA").empty());
  EXPECT_TRUE(memory.PartnersOf("dc1", "gamma").empty());
  EXPECT_EQ(lookups, 2);
}

}  // namespace
}  // namespace nestwalk::platform
