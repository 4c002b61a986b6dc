#include "text/leading_decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace nestwalk {
namespace {

TEST(LeadingDecimalTest, ReadsLikeAScan) {
  struct Case {
    std::string text;
    int expected;
  };
  const Case cases[] = {
      {"2", 2},
      {"  \t42", 42},
      {"+7", 7},
      {"-2147483646", -2147483646},
      {"12abc", 12},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+-3", 0},
      {"0x10", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      // Out of range: the nearest limit, never a wrapped value.
      {"2147483648", INT_MAX},
      {"99999999999999999999999", INT_MAX},
      {"-99999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(LeadingDecimal(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace nestwalk
