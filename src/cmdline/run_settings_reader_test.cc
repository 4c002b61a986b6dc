#include "cmdline/run_settings_reader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace nestwalk {

void PrintTo(const RunSettings& s, std::ostream* os) {
  *os << "{quiet=" << s.quiet << " debug=" << s.debug << " primary=" << s.resolvePrimaryGroup
      << " tryAll=" << s.tryAll << " fast=" << s.fast << " path=" << s.path
      << " token=" << s.token << " json=" << s.json << " complete=" << s.complete << " kind=" << static_cast<int>(s.principalKind) << " text=["
      << s.principalText << "] server=[" << s.initialServer << "]}";
}

namespace {

using Words = std::vector<std::string>;

CCmdLine Parse(const Words& afterProgram) {
  Words words{"nestwalk"};
  words.insert(words.end(), afterProgram.begin(), afterProgram.end());
  return CCmdLine(words, false);
}

// Every reader in the driver's order; `principalRead` is what ReadPrincipalSwitches answered.
RunSettings ReadAll(const Words& words, bool& principalRead) {
  CCmdLine commandLine = Parse(words);
  RunSettings settings;
  ReadOutputSwitches(commandLine, settings);
  principalRead = ReadPrincipalSwitches(commandLine, settings);
  ReadAdditionSwitches(commandLine, settings);
  ReadServerSwitch(commandLine, settings);
  return settings;
}

RunSettings With(void (*change)(RunSettings&)) {
  RunSettings settings;
  change(settings);
  return settings;
}

TEST(RunSettingsReaderTest, FillsSettingsFromSwitches) {
  struct Case {
    Words words;
    RunSettings expected;
    bool principalRead = true;
  };
  const Case cases[] = {
      {{}, RunSettings{}},
      {{"-q", "ignored"}, With([](RunSettings& s) { s.quiet = true; })},
      {{"-D", "-Q"}, With([](RunSettings& s) { s.quiet = s.debug = true; })},
      {{"-np"}, With([](RunSettings& s) { s.resolvePrimaryGroup = false; })},
      {{"/TryAll"}, With([](RunSettings& s) { s.tryAll = true; })},
      {{"-u", "CORP\\alice"}, With([](RunSettings& s) { s.principalText = "CORP\\alice"; })},
      {{"-u"}, RunSettings{}},
      {{"-u", "CORP\\alice", "-comp"}, With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kComputer;  // the current machine, -u dropped
       })},
      {{"-comp", "-u", "CORP\\alice"},
       With([](RunSettings& s) { s.principalKind = PrincipalKind::kComputer; })},
      {{"-comp", "CORP\\PC1", "-u", "CORP\\alice"}, With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kComputer;
         s.principalText = "CORP\\PC1";
       })},
      {{"-comp", "CORP\\PC1", "-group", "CORP\\Sales"}, With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kGroup;
         s.resolvePrimaryGroup = false;
         s.principalText = "CORP\\Sales";
       })},
      {{"-np", "-group", "CORP\\Sales"}, With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kGroup;
         s.resolvePrimaryGroup = false;
         s.principalText = "CORP\\Sales";
       })},
      {{"-u", "CORP\\alice", "-group"},
       With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kGroup;
         s.resolvePrimaryGroup = false;
       }),
       false},
      {{"-group", "-s", "dc1"},
       With([](RunSettings& s) {
         s.principalKind = PrincipalKind::kGroup;
         s.resolvePrimaryGroup = false;
         s.initialServer = "dc1";
       }),
       false},
      {{"-s", "DC1.corp.example.com"},
       With([](RunSettings& s) { s.initialServer = "DC1.corp.example.com"; })},
      {{"-s"}, RunSettings{}},
      {{"-x", "value", "-tryall"}, With([](RunSettings& s) { s.tryAll = true; })},
      // The additions take no value: a following plain word is consumed and ignored.
      {{"-FAST", "CORP\\alice", "/path", "-Token", "-json", "x", "/COMPLETE"},
       With([](RunSettings& s) { s.fast = s.path = s.token = s.json = s.complete = true; })},
      {{"-fast", "-u", "CORP\\alice"}, With([](RunSettings& s) {
         s.fast = true;
         s.principalText = "CORP\\alice";
       })},
      {{"-fastest", "-jsonx"}, RunSettings{}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += " " + word;
    bool principalRead = false;
    EXPECT_EQ(ReadAll(c.words, principalRead), c.expected) << line;
    EXPECT_EQ(principalRead, c.principalRead) << line;
  }
}

TEST(RunSettingsReaderTest, EachReaderTouchesOnlyItsOwnSwitches) {
  CCmdLine commandLine = Parse({"-q", "-d", "-np", "-tryall", "-u", "C\\a", "-s", "dc1"});
  RunSettings settings;
  ReadOutputSwitches(commandLine, settings);
  EXPECT_EQ(settings, With([](RunSettings& s) { s.quiet = s.debug = true; }));
  ASSERT_TRUE(ReadPrincipalSwitches(commandLine, settings));
  EXPECT_EQ(settings.initialServer, "");  // -s is read only after the principal
  ReadServerSwitch(commandLine, settings);
  EXPECT_EQ(settings.initialServer, "dc1");
}

// A password must never come from the command line: -as takes an account, -passfile a file.
TEST(RunSettingsReaderTest, IdentityIsAnAccountWithAPasswordFileOrNone) {
  struct Case {
    Words words;
    std::string error;
    std::string bindAs;
    std::string passwordFile;
  };
  const Case cases[] = {
      {{}, "", "", ""},
      {{"-as", "CORP\\admin"}, "", "CORP\\admin", ""},
      {{"/AS", "admin@corp.example.com", "-PassFile", "/run/pw"}, "", "admin@corp.example.com",
       "/run/pw"},
      {{"-passfile", "-pw", "-as", "CORP\\admin"}, "", "CORP\\admin", "-pw"},
      {{"-as"}, "Error: Must specify an account with -as option.\n", "", ""},
      {{"-as", "-passfile", "pw"}, "Error: Must specify an account with -as option.\n", "", ""},
      {{"-as", "CORP\\admin", "-passfile"}, "Error: Must specify a file with -passfile option.\n",
       "CORP\\admin", ""},
      {{"-passfile", "pw"}, "Error: -passfile needs -as.\n", "", "pw"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += " " + word;
    RunSettings settings;
    EXPECT_EQ(ReadIdentitySwitches(Parse(c.words), settings), c.error) << line;
    EXPECT_EQ(settings.bindAs, c.bindAs) << line;
    EXPECT_EQ(settings.passwordFile, c.passwordFile) << line;
  }
}

TEST(RunSettingsReaderTest, UsageIsAskedByHOrQuestionMark) {
  const std::pair<Words, bool> cases[] = {
      {{}, false},    {{"-h"}, true},     {{"-?"}, true},       {{"/?"}, true},
      {{"-H"}, true}, {{"-help"}, false}, {{"-q", "-h"}, true}, {{"h"}, false},
  };
  for (const auto& [words, asks] : cases) {
    EXPECT_EQ(AsksForUsage(Parse(words)), asks) << (words.empty() ? "" : words.back());
  }
}

}  // namespace
}  // namespace nestwalk
