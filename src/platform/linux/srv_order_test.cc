#include "platform/linux/srv_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nestwalk::platform {
namespace {

std::vector<std::string> Targets(const std::vector<SrvRecord>& records) {
  std::vector<std::string> targets;
  for (const SrvRecord& r : records) targets.push_back(r.target);
  return targets;
}

TEST(SrvOrderTest, OrdersByPriorityThenWeightAndDropsUnoffered) {
  struct Case {
    const char* name;
    std::vector<SrvRecord> in;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"empty", {}, {}},
      {"priority ascending", {{20, 0, 389, "b"}, {10, 0, 389, "a"}}, {"a", "b"}},
      {"weight descending within a priority",
       {{10, 5, 389, "light"}, {10, 50, 389, "heavy"}, {0, 1, 389, "first"}},
       {"first", "heavy", "light"}},
      {"priority beats weight", {{1, 0, 389, "low"}, {2, 100, 389, "high"}}, {"low", "high"}},
      {"ties keep their order",
       {{0, 0, 389, "x"}, {0, 0, 389, "y"}, {0, 0, 389, "z"}},
       {"x", "y", "z"}},
      {"dot means not offered", {{0, 0, 0, "."}, {5, 0, 389, "dc"}}, {"dc"}},
      {"empty target dropped", {{0, 0, 389, ""}}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Targets(OrderSrvRecords(c.in)), c.want) << c.name;
  }
}

}  // namespace
}  // namespace nestwalk::platform
