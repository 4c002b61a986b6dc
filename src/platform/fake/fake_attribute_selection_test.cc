#include "platform/fake/fake_attribute_selection.h"

#include <gtest/gtest.h>

namespace nestwalk::fake {
namespace {

const std::vector<platform::Attribute> kEntry{
    {"cn", {"G"}},
    {"memberOf", {"g0", "g1", "g2", "g3", "g4", "g5", "g6", "g7"}},
    {"groupType", {"2"}}};

TEST(SelectAttributesTest, RangedRetrievalSlicesLikeActiveDirectory) {
  struct Case {
    std::vector<std::string> requested;
    int maxValues;
    std::vector<platform::Attribute> expected;
  };
  const std::vector<Case> cases = {
      {{"memberOf"}, 0, {kEntry[1]}},
      {{"memberOf"}, 8, {kEntry[1]}},
      {{"memberOf"}, 3, {{"memberOf;range=0-2", {"g0", "g1", "g2"}}}},
      {{"MEMBEROF", "groupType"}, 3, {{"memberOf;range=0-2", {"g0", "g1", "g2"}}, kEntry[2]}},
      {{},
       7,
       {kEntry[0], {"memberOf;range=0-6", {"g0", "g1", "g2", "g3", "g4", "g5", "g6"}}, kEntry[2]}},
      {{"memberOf;range=3-*"}, 3, {{"memberOf;range=3-5", {"g3", "g4", "g5"}}}},
      {{"memberOf;range=6-*"}, 3, {{"memberOf;range=6-*", {"g6", "g7"}}}},
      {{"memberOf;range=5-7"}, 3, {{"memberOf;range=5-*", {"g5", "g6", "g7"}}}},
      {{"memberOf;range=1-2"}, 0, {{"memberOf;range=1-2", {"g1", "g2"}}}},
      {{"memberOf;range=7-*"}, 0, {{"memberOf;range=7-*", {"g7"}}}},
      {{"memberOf;range=8-*"}, 3, {}},
      {{"memberOf;range=0-*"}, 1, {{"memberOf;range=0-0", {"g0"}}}},
  };
  for (const Case& c : cases) {
    std::vector<platform::Attribute> got =
        SelectAttributes(kEntry, c.requested, false, c.maxValues);
    ASSERT_EQ(got.size(), c.expected.size()) << c.requested.size() << " limit " << c.maxValues;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].name, c.expected[i].name);
      EXPECT_EQ(got[i].values, c.expected[i].values) << got[i].name;
    }
  }
}

TEST(SelectAttributesTest, AttributesOnlyKeepsTheNamesAndDropsEveryValue) {
  std::vector<platform::Attribute> got =
      SelectAttributes(kEntry, {"groupType", "cn", "sn"}, true, 3);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].name, "cn");
  EXPECT_EQ(got[1].name, "groupType");
  EXPECT_TRUE(got[0].values.empty());
  EXPECT_TRUE(got[1].values.empty());
}

}  // namespace
}  // namespace nestwalk::fake
