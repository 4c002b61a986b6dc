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
      {"xab", "ab", {"x"}},  // a text ending in the whole delimiter gets no empty last piece
      {"xa", "ab", {"xa"}},
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
  // An empty text appends nothing, and the count still tells what the list holds.
  EXPECT_EQ(SplitText("", ":", pieces), 3);
  EXPECT_EQ(pieces, (Pieces{"old", "a", "b"}));
}

TEST(SplitTextTest, EmptyTextIntoEmptyListGivesZero) {
  Pieces pieces;
  EXPECT_EQ(SplitText("", ":", pieces), 0);
  EXPECT_TRUE(pieces.empty());
}

}  // namespace
}  // namespace nestwalk
