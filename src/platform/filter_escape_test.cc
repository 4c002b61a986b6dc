#include "platform/filter_escape.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk::platform {
namespace {

TEST(FilterEscapeTest, BytesBecomeBackslashAndTwoLowerCaseHexDigitsEach) {
  EXPECT_EQ(EscapeFilterBytes(""), "");
  EXPECT_EQ(EscapeFilterBytes(std::string("\x01\x05\x00\xff\x2a", 5)), "\\01\\05\\00\\ff\\2a");
  EXPECT_EQ(EscapeFilterBytes("Az"), "\\41\\7a");
}

TEST(FilterEscapeTest, ValuesEscapeOnlyTheFiveSpecialBytes) {
  struct Case {
    std::string text;
    const char* escaped;
  };
  const Case cases[] = {
      {"alice", "alice"},
      {"a*b", "a\\2ab"},
      {"(x)", "\\28x\\29"},
      {"back\\slash", "back\\5cslash"},
      {std::string("nul\0byte", 8), "nul\\00byte"},
      {"CN=\xC4rzte, =+<>#;\"", "CN=\xC4rzte, =+<>#;\""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeFilterValue(c.text), c.escaped) << c.text;
  }
}

}  // namespace
}  // namespace nestwalk::platform
