#include "driver/account_list.h"

#include <ostream>
#include <string>
#include <variant>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

// What a line gives: the account's samName, or the reason of a bad line.
struct LineCase {
  const char* name;
  std::string line;
  std::string samName;
  std::string reason;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class AccountLineLimitsTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(AccountLineLimitsTest, ALineNamesTheAccountOrSaysWhyNot) {
  const LineCase& c = GetParam();
  const auto parsed = ParseAccountLine(c.line);
  if (c.reason.empty()) {
    ASSERT_TRUE(std::holds_alternative<SecurityPrincipal>(parsed));
    EXPECT_EQ(std::get<SecurityPrincipal>(parsed).samName, c.samName);
  } else {
    ASSERT_TRUE(std::holds_alternative<BadAccountLine>(parsed));
    EXPECT_EQ(std::get<BadAccountLine>(parsed).reason, c.reason);
  }
}

const std::string kTooLong = "the name is longer than 256 characters, the most AD allows";
const std::string kNul = "the line holds a NUL byte";
// "ä" is two bytes of UTF-8 and one character.
std::string Umlauts(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "\xC3\xA4";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountLineLimitsTest,
    ::testing::Values(
        LineCase{"a CR LF line end", "EMEA\\alice\r", "alice", ""},
        LineCase{"256 characters", "EMEA\\" + std::string(256, 'a'), std::string(256, 'a'), ""},
        LineCase{"257 characters", "EMEA\\" + std::string(257, 'a'), "", kTooLong},
        LineCase{"characters, not bytes, are counted", "EMEA\\" + Umlauts(256), Umlauts(256), ""},
        LineCase{"257 characters of two bytes", "EMEA\\" + Umlauts(257), "", kTooLong},
        LineCase{"a computer's $ counts", "computer EMEA\\" + std::string(256, 'a'), "", kTooLong},
        LineCase{"a NUL byte in the name", std::string("EMEA\\al\0ice", 11), "", kNul},
        LineCase{"a NUL byte after the name", std::string("EMEA\\alice \0", 12), "", kNul},
        LineCase{"a NUL byte in a comment", std::string("# \0", 3), "", kNul}));

}  // namespace
}  // namespace nestwalk
