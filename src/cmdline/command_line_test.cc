#include "cmdline/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace nestwalk {
namespace {

using Words = std::vector<std::string>;

CCmdLine Parse(const Words& afterProgram, bool caseSensitive = false) {
  Words words{"/usr/bin/nestwalk"};
  words.insert(words.end(), afterProgram.begin(), afterProgram.end());
  return CCmdLine(words, caseSensitive);
}

// One row: the words, then what HasSwitch/GetArgument answer for some names (a name missing
// from `values` must be absent), and the plain arguments.
struct ParseCase {
  Words words;
  std::map<std::string, std::string> values;
  Words absent;
  Words plain;
};

TEST(CCmdLineTest, ParsesSwitchesValuesAndPlainWords) {
  const ParseCase cases[] = {
      {{}, {}, {"u", "q", ""}, {}},
      {{"-U", "x\\y"}, {{"u", "x\\y"}, {"U", "x\\y"}}, {}, {}},
      {{"/u", "x\\y"}, {{"u", "x\\y"}}, {}, {}},
      {{"-u", "Dom\\MixedCase"}, {{"u", "Dom\\MixedCase"}}, {}, {}},
      {{"-u"}, {{"u", ""}}, {"s"}, {}},
      {{"-u", "a\\b", "-u"}, {{"u", ""}}, {}, {}},
      {{"-u", "a\\b", "-u", "c\\d"}, {{"u", "c\\d"}}, {}, {}},
      {{"-s", "-5"}, {{"s", "-5"}}, {"5"}, {}},
      {{"-q", "x", "y"}, {{"q", "x"}}, {"x", "y"}, {"y"}},
      {{"-u", "/x"}, {{"u", ""}, {"x", ""}}, {}, {}},
      {{"--np"}, {{"-np", ""}}, {"np"}, {}},
      {{"-", "word"}, {{"", ""}}, {}, {"word"}},
      {{"/", "word"}, {{"", ""}}, {}, {"word"}},
      {{"loose", "-d"}, {{"d", ""}}, {"loose"}, {"loose"}},
      {{"-s=dc1"}, {{"s=dc1", ""}}, {"s"}, {}},  // '=' is an ordinary character
      {{"-u", ""}, {{"u", ""}}, {}, {}},         // an empty word is a value, not a switch
      {{"", "-q"}, {{"q", ""}}, {}, {""}},
      {{"-9"}, {}, {"9", ""}, {"-9"}},
      {{"-\xC4X", "v"}, {{"\xC4x", "v"}}, {}, {}},  // only A-Z fold in names
  };
  for (const ParseCase& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += "[" + word + "]";
    CCmdLine commandLine = Parse(c.words);
    for (const auto& [name, value] : c.values) {
      EXPECT_TRUE(commandLine.HasSwitch(name)) << line << " has " << name;
      EXPECT_EQ(commandLine.GetArgument(name), value) << line << " value of " << name;
    }
    for (const std::string& name : c.absent) {
      EXPECT_FALSE(commandLine.HasSwitch(name)) << line << " lacks " << name;
      EXPECT_EQ(commandLine.GetArgument(name), "") << line << " value of " << name;
    }
    EXPECT_EQ(commandLine.plainArguments(), c.plain) << line;
  }
}

TEST(CCmdLineTest, KeepsTheProgramPathUnparsed) {
  CCmdLine commandLine(Words{"-q", "-d"}, false);
  EXPECT_EQ(commandLine.programPath(), "-q");
  EXPECT_FALSE(commandLine.HasSwitch("q"));
  EXPECT_TRUE(commandLine.HasSwitch("d"));
}

TEST(CCmdLineTest, EmptyWordListIsAnEmptyLine) {
  CCmdLine commandLine(Words{}, false);
  EXPECT_EQ(commandLine.programPath(), "");
  EXPECT_FALSE(commandLine.HasSwitch(""));
  EXPECT_TRUE(commandLine.plainArguments().empty());
}

TEST(CCmdLineTest, CaseSensitiveKeepsNamesApart) {
  CCmdLine commandLine = Parse({"-U", "upper", "-u", "lower"}, true);
  EXPECT_EQ(commandLine.GetArgument("U"), "upper");
  EXPECT_EQ(commandLine.GetArgument("u"), "lower");
  EXPECT_FALSE(Parse({"-U"}, true).HasSwitch("u"));
}

}  // namespace
}  // namespace nestwalk
