#include "support/directory_oracle.h"

#include <gtest/gtest.h>

namespace nestwalk::e2e {
namespace {

TEST(DirectoryOracleFacts, LabelsFromGroupType) {
  const struct {
    const char* group_type;
    const char* label;
  } kCases[] = {
      {"-2147483646", "Global Security"}, {"2", "Global Distribution"},
      {"-2147483644", "Local Security"},  {"-2147483643", "Local Security"},
      {"4", "Local Distribution"},        {"-2147483640", "Universal Security"},
      {"8", "Universal Distribution"},    {"-1", "Unknown Security"},
      {"", "Unknown Distribution"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ((GroupFacts{"", "", c.group_type, ""}.Label()), c.label) << c.group_type;
  }
}

TEST(DirectoryOracleFacts, SidTextOfBinarySids) {
  EXPECT_EQ(SidText(std::string("\x01\x02\0\0\0\0\0\x05\x20\0\0\0\x21\x02\0\0", 16)),
            "S-1-5-32-545");
  EXPECT_EQ(SidText(std::string("\x01\x01\0\0\0\0\0\x05\xff\xff\xff\xff", 12)), "S-1-5-4294967295");
  EXPECT_EQ(SidText(std::string("\x01\x02\0\0\0\0\0\x05\x20\0\0\0", 12)), "");  // short
  EXPECT_EQ(SidText("abc"), "");
}

}  // namespace
}  // namespace nestwalk::e2e
