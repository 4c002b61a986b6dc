#include "text/split_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nestwalk {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitTextTest, CutsAtEveryDelimiter) {
  struct Case {
    std::string text;
    std::string delimiter;
    Pieces expected;
  };
  const Case cases[] = {
      {"host:636", ":", {"host", "636"}},
      {"a::b", ":", {"a", "", "b"}},
      {"a:", ":", {"a"}},
      {":a", ":", {"", "a"}},
      {":", ":", {""}},
      {"plain", ":", {"plain"}},
      {"CORP\\alice", "\\", {"CORP", "alice"}},
      {"a\\b\\c", "\\", {"a", "b", "c"}},
      {"x::y::", "::", {"x", "y"}},
      // Only the text's last character and the delimiter's first are compared.
      {"xab", "ab", {"x", ""}},
      {"xa", "ab", {"xa"}},
      {"a:xb:", ":x", {"a", "b:"}},
      {"a:b", "", {"a:b"}},  // an empty delimiter cuts nowhere
  };
  for (const Case& c : cases) {
    Pieces pieces;
    int count = SplitText(c.text, c.delimiter, pieces);
    EXPECT_EQ(pieces, c.expected) << c.text << " / " << c.delimiter;
    EXPECT_EQ(count, static_cast<int>(c.expected.size())) << c.text << " / " << c.delimiter;
  }
}

TEST(SplitTextTest, AppendsAndCountsEarlierEntries) {
  Pieces pieces{"old"};
  EXPECT_EQ(SplitText("a:b", ":", pieces), 3);
  EXPECT_EQ(pieces, (Pieces{"old", "a", "b"}));
  // An empty text appends nothing and counts nothing, whatever the list held.
  EXPECT_EQ(SplitText("", ":", pieces), 0);
  EXPECT_EQ(pieces, (Pieces{"old", "a", "b"}));
}

TEST(SplitTextTest, EmptyTextIntoEmptyListGivesZero) {
  Pieces pieces;
  EXPECT_EQ(SplitText("", ":", pieces), 0);
  EXPECT_TRUE(pieces.empty());
}

}  // namespace
}  // namespace nestwalk
