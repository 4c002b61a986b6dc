// Whole runs of -since against a fake forest: an earlier review written by the program itself,
// the forest changed, then what the run says changed, compared in full (standard output,
// standard error, status) whichever format the earlier review and this run write.
#include "driver/since_report.h"

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "membership/membership_fixture.h"
#include "support/corp_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

using Words = std::vector<std::string>;

constexpr char kGlobal[] = "-2147483646";
const std::string kDomainUsers = "CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com";

std::string Group(const std::string& name) {
  return "CN=" + name + ",OU=Groups,DC=corp,DC=example,DC=com";
}
std::string User(const std::string& name) {
  return "CN=" + name + ",CN=Users,DC=corp,DC=example,DC=com";
}

// The quarter's change, when `after`: Everyone joins Printers (a change deep in the nesting that
// alice, through Sales and Staff, gains), bob leaves Sales (and so Staff and Everyone), carol's
// primary group becomes Engineering, dave is deleted. Before it: alice and bob in Sales, Sales in Staff, Staff in
// Everyone, carol in Admins, every user's primary group Domain Users.
void BuildForest(fake::FakeForest& forest, bool after) {
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddGroup(kDomainUsers, "Domain Users", kGlobal, {}, 513);
  forest.AddGroup(Group("Engineering"), "Engineering", kGlobal, {}, 1200);
  for (const std::string name : {"alice", "bob", "carol", "dave", "erin"}) {
    if (after && name == "dave") continue;  // dave left
    forest.AddUser(User(name), name, after && name == "carol" ? "1200" : "513");
  }
  forest.AddGroup(Group("Sales"), "Sales", kGlobal,
                  after ? Words{User("alice")} : Words{User("alice"), User("bob")});
  forest.AddGroup(Group("Staff"), "Staff", kGlobal, {Group("Sales")});
  forest.AddGroup(Group("Everyone"), "Everyone", kGlobal, {Group("Staff")});
  if (after) forest.AddGroup(Group("Printers"), "Printers", kGlobal, {Group("Everyone")});
  forest.AddGroup(Group("Admins"), "Admins", kGlobal, {User("carol")});
}

// The reads of Admins, which only carol reaches, fail.
void FailAdmins(fake::FakeForest& forest) {
  forest.FailSearch(testing::kCorpDc1Host, std::nullopt, Group("Admins"), 32);
}

// The earlier review: dave was reviewed, erin not yet.
const std::string kEarlierList = "CORP\\alice\nCORP\\bob\nCORP\\carol\nCORP\\dave\n";
const std::string kList = "CORP\\alice\nCORP\\bob\nCORP\\carol\nCORP\\erin\n";

// A review of the forest before the change, written by the program to a file of its own;
// `breakForest` makes its reads fall short where it is given.
std::string EarlierReview(const std::string& name, const Words& format,
                          void (*breakForest)(fake::FakeForest&) = nullptr) {
  fake::FakeForest forest;
  BuildForest(forest, /*after=*/false);
  if (breakForest != nullptr) breakForest(forest);
  Words args = {"-q", "-in", "-"};
  args.insert(args.end(), format.begin(), format.end());
  const std::string path = ::testing::TempDir() + "/since-" + name;
  std::ofstream(path, std::ios::binary) << testing::RunNestwalk(forest, args, kEarlierList).out;
  return path;
}

testing::RunOutcome RunAfter(const Words& args, const std::string& list = kList,
                             void (*breakForest)(fake::FakeForest&) = nullptr) {
  fake::FakeForest forest;
  BuildForest(forest, /*after=*/true);
  if (breakForest != nullptr) breakForest(forest);
  Words words = {"-q"};
  words.insert(words.end(), args.begin(), args.end());
  return testing::RunNestwalk(forest, words, list);
}

std::string Closing(const std::string& file, const std::string& counts) {
  return "Since " + file + ": " + counts + "\n";
}

const std::string kCounts =
    "3 accounts compared, 3 with changes (2 groups added, 4 removed); 1 new, 1 gone, "
    "0 not compared";

std::string TextChanges(const std::string& file) {
  return "Security Principal: [USER] CORP\\alice\n"
         "+ [Global Security] [Printers] " + Group("Printers") + "\n"
         "      via: alice -> Sales -> Staff -> Everyone -> Printers\n"
         "\n"
         "Security Principal: [USER] CORP\\bob\n"
         "- [Global Security] [Everyone] " + Group("Everyone") + "\n"
         "- [Global Security] [Sales] " + Group("Sales") + "\n"
         "- [Global Security] [Staff] " + Group("Staff") + "\n"
         "\n"
         "Security Principal: [USER] CORP\\carol\n"
         "+ [Global Security] [Engineering] " + Group("Engineering") + "\n"
         "      via: carol =primary=> Engineering\n"
         "- [Global Security] [Domain Users] " + kDomainUsers + "\n"
         "\n"
         "Security Principal: [USER] CORP\\erin\n"
         "  new: not in " + file + "\n"
         "+ [Global Security] [Domain Users] " + kDomainUsers + "\n"
         "      via: erin =primary=> Domain Users\n"
         "\n"
         "Earlier account: CORP\\dave\n"
         "  gone: in " + file + ", not in this review\n";
}

struct FileFormat {
  const char* name;
  Words args;
};

void PrintTo(const FileFormat& c, std::ostream* os) { *os << c.name; }

class SinceFileFormatTest : public ::testing::TestWithParam<FileFormat> {};

// Groups are matched by DN whatever the earlier review's format: its CSV cells or JSON strings.
TEST_P(SinceFileFormatTest, TextNamesWhatEachAccountGainedAndLost) {
  const std::string file = EarlierReview(GetParam().name, GetParam().args);
  const testing::RunOutcome run = RunAfter({"-path", "-since", file, "-in", "-"});
  EXPECT_EQ(run.out, TextChanges(file));
  EXPECT_EQ(run.err, Closing(file, kCounts));
  EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, SinceFileFormatTest,
                         ::testing::Values(FileFormat{"csv", {"-csv"}},
                                           FileFormat{"csv-with-chains", {"-csv", "-path", "-token"}},
                                           FileFormat{"json-lines", {"-json"}}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::erase(name, '-');
                           return name;
                         });

TEST(SinceReportTest, CsvRowsCarryTheChangeBeforeTheReviewsColumns) {
  const std::string file = EarlierReview("rows.csv", {"-csv"});
  const std::string alice = "CORP\\alice,\"" + User("alice") + "\",";
  const std::string bob = "CORP\\bob,\"" + User("bob") + "\",";
  const std::string carol = "CORP\\carol,\"" + User("carol") + "\",";
  const std::string erin = "CORP\\erin,\"" + User("erin") + "\",";
  const testing::RunOutcome run = RunAfter({"-csv", "-path", "-token", "-since", file, "-in", "-"});
  EXPECT_EQ(run.out,
            "change,account,accountDn,groupDn,groupName,scope,kind,depth,via,tokenBytes\r\n"
            "added," + alice + "\"" + Group("Printers") + "\",Printers,Global,Security,4,"
            "alice -> Sales -> Staff -> Everyone -> Printers,1240\r\n"
            "removed," + bob + "\"" + Group("Everyone") + "\",Everyone,Global,Security,,,1208\r\n"
            "removed," + bob + "\"" + Group("Sales") + "\",Sales,Global,Security,,,1208\r\n"
            "removed," + bob + "\"" + Group("Staff") + "\",Staff,Global,Security,,,1208\r\n"
            "added," + carol + "\"" + Group("Engineering") + "\",Engineering,Global,Security,1,"
            "carol =primary=> Engineering,1216\r\n"
            "removed," + carol + "\"" + kDomainUsers + "\",Domain Users,Global,Security,,,1216\r\n"
            "added," + erin + ",,,,,,1208\r\n"
            "added," + erin + "\"" + kDomainUsers + "\",Domain Users,Global,Security,1,"
            "erin =primary=> Domain Users,1208\r\n"
            "removed,CORP\\dave,\"" + User("dave") + "\",,,,,,,\r\n");
  EXPECT_EQ(run.err, Closing(file, kCounts));
  EXPECT_EQ(run.status, 0);
}

// Whether every line of `lines` passes the schema of the changes.
bool LinesMatchSchema(const std::string& lines) {
  const std::string path = ::testing::TempDir() + "/since-changes.jsonl";
  std::ofstream(path, std::ios::binary) << lines;
  const std::string command = std::string("python3 ") + NESTWALK_SCHEMA_CHECK + " " +
                              NESTWALK_CHANGES_SCHEMA + " --lines " + path;
  return std::system(command.c_str()) == 0;
}

TEST(SinceReportTest, JsonLinesHoldAnAccountsChangeEach) {
  const std::string file = EarlierReview("lines.jsonl", {"-json"});
  const testing::RunOutcome run = RunAfter({"-json", "-since", file, "-in", "-"});
  const std::string printers = Group("Printers");
  // The file's name inside a JSON string: a Windows temporary directory has backslashes.
  const std::string quotedFile = nlohmann::json(file).dump();
  const std::string fileInJson = quotedFile.substr(1, quotedFile.size() - 2);
  EXPECT_EQ(
      run.out,
      R"({"change":"changed","account":{"name":"CORP\\alice","dn":")" + User("alice") +
          R"("},"added":[{"dn":")" + printers +
          R"(","sAMAccountName":"Printers","scope":"Global","kind":"Security","sid":null,)"
          R"("read":true,"path":[")" + Group("Sales") + R"(",")" + Group("Staff") + R"(",")" +
          Group("Everyone") + R"(",")" + printers +
          R"("],"depth":4,"viaPrimaryGroup":false}],"removed":[],"reason":null})" "\n"
      R"({"change":"changed","account":{"name":"CORP\\bob","dn":")" + User("bob") +
          R"("},"added":[],"removed":[{"dn":")" + Group("Everyone") +
          R"(","sAMAccountName":"Everyone","scope":"Global","kind":"Security"},{"dn":")" +
          Group("Sales") +
          R"(","sAMAccountName":"Sales","scope":"Global","kind":"Security"},{"dn":")" +
          Group("Staff") +
          R"(","sAMAccountName":"Staff","scope":"Global","kind":"Security"}],"reason":null})"
          "\n"
      R"({"change":"changed","account":{"name":"CORP\\carol","dn":")" + User("carol") +
          R"("},"added":[{"dn":")" + Group("Engineering") +
          R"(","sAMAccountName":"Engineering","scope":"Global","kind":"Security",)"
          R"("sid":"S-1-5-21-1-2-3-1200","read":true,"path":[")" + Group("Engineering") +
          R"("],"depth":1,"viaPrimaryGroup":true}],"removed":[{"dn":")" + kDomainUsers +
          R"(","sAMAccountName":"Domain Users","scope":"Global","kind":"Security"}],)"
          R"("reason":null})" "\n"
      R"({"change":"added","account":{"name":"CORP\\erin","dn":")" + User("erin") +
          R"("},"added":[{"dn":")" + kDomainUsers +
          R"(","sAMAccountName":"Domain Users","scope":"Global","kind":"Security",)"
          R"("sid":"S-1-5-21-1-2-3-513","read":true,"path":[")" + kDomainUsers +
          R"("],"depth":1,"viaPrimaryGroup":true}],"removed":[],"reason":"not in )" + fileInJson +
          R"("})" "\n"
      R"({"change":"removed","account":{"name":"CORP\\dave","dn":")" + User("dave") +
          R"("},"added":[],"removed":[],"reason":"in )" + fileInJson +
          R"(, not in this review"})"
          "\n");
  EXPECT_EQ(run.err, Closing(file, kCounts));
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(LinesMatchSchema(run.out));
}

// An account read whole on one side only is not compared: its missing groups are no loss.
TEST(SinceReportTest, AccountsReadWholeOnOneSideOnlyAreNamedAsNotCompared) {
  const std::string shortNow = EarlierReview("short-now.csv", {"-csv"});
  // dave, deleted since, is asked for and not found: not compared, not gone.
  const testing::RunOutcome now = RunAfter({"-since", shortNow, "-in", "-"},
                                           "CORP\\carol\nCORP\\alice\nCORP\\dave\n", FailAdmins);
  EXPECT_EQ(now.out,
            "Security Principal: [USER] CORP\\carol\n"
            "  not compared: its reads fell short in this run (1 group could not be read in "
            "full)\n"
            "\n"
            "Security Principal: [USER] CORP\\alice\n"
            "+ [Global Security] [Printers] " + Group("Printers") + "\n"
            "\n"
            "Earlier account: CORP\\bob\n"
            "  gone: in " + shortNow + ", not in this review\n"
            "\n"
            "Earlier account: CORP\\dave\n"
            "  not compared: not reported in this run\n");
  EXPECT_EQ(now.err,
            "ERROR: Couldn't find SAMName dave in DC=corp,DC=example,DC=com\n"
            "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: No such object\n\n"
            "WARNING: 1 group could not be read in full; the list may be incomplete\n" +
                Closing(shortNow,
                        "1 account compared, 1 with changes (1 group added, 0 removed); 0 new, "
                        "1 gone, 2 not compared"));
  EXPECT_EQ(now.status, 8);

  const std::string shortThen = EarlierReview("short-then.csv", {"-csv"}, FailAdmins);
  const testing::RunOutcome then =
      RunAfter({"-csv", "-since", shortThen, "-in", "-"}, "CORP\\carol\n");
  EXPECT_EQ(then.out,
            "change,account,accountDn,groupDn,groupName,scope,kind\r\n"
            "not compared,CORP\\carol,\"" + User("carol") + "\",," + shortThen +
                " holds no whole answer for it (INCOMPLETE: 1 group could not be read in "
                "full),,\r\n"
            "removed,CORP\\alice,\"" + User("alice") + "\",,,,\r\n"
            "removed,CORP\\bob,\"" + User("bob") + "\",,,,\r\n"
            "removed,CORP\\dave,\"" + User("dave") + "\",,,,\r\n");
  EXPECT_EQ(then.err,
            Closing(shortThen,
                    "0 accounts compared, 0 with changes (0 groups added, 0 removed); 0 new, "
                    "3 gone, 1 not compared"));
  EXPECT_EQ(then.status, 0);
}

// A review of the three-domain forest against itself: the group spelt with the byte 0xC4, which
// the CSV writes "\C4", is the same group in both, and nothing changed.
TEST(SinceReportTest, AnUnchangedReviewHasNoChangesWhateverItsBytes) {
  for (const Words& format : {Words{"-csv"}, Words{"-json"}, Words{}}) {
    fake::FakeForest before;
    testing::ThreeDomainForest::Build(before, /*otherIsGc=*/true);
    Words args = {"-q", "-u", "EMEA\\alice"};
    args.insert(args.end(), format.begin(), format.end());
    const std::string earlier = testing::RunNestwalk(before, args).out;
    const std::string file = ::testing::TempDir() + "/since-three-domains";
    std::ofstream(file, std::ios::binary) << earlier;
    fake::FakeForest after;
    testing::ThreeDomainForest::Build(after, /*otherIsGc=*/true);
    args.insert(args.end(), {"-since", file});
    const testing::RunOutcome run = testing::RunNestwalk(after, args);
    if (format.empty()) {
      // Text is no earlier output to compare with.
      EXPECT_EQ(run.err,
                "Error: -since " + file +
                    " is no earlier output of nestwalk: its first line is neither the header of "
                    "a -csv review nor the start of a -json document\n");
      EXPECT_EQ(run.status, -1);
      continue;
    }
    EXPECT_EQ(run.out, format[0] == "-csv" ? "change,account,accountDn,groupDn,groupName,scope,kind\r\n" : "")
        << format[0];
    EXPECT_EQ(run.err, Closing(file,
                               "1 account compared, 0 with changes (0 groups added, 0 removed); "
                               "0 new, 0 gone, 0 not compared"))
        << format[0];
    EXPECT_EQ(run.status, 0) << format[0];
  }
}

struct BadFile {
  const char* name;
  std::string text;
  std::string error;  // after "Error: -since <file> "
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

class SinceBadFileTest : public ::testing::TestWithParam<BadFile> {};

// A file that is no whole earlier review ends the run before any server is asked.
TEST_P(SinceBadFileTest, EndsTheRunBeforeAnyDirectoryWork) {
  const BadFile& c = GetParam();
  // A file of its own: CTest runs the cases side by side.
  const std::string file = ::testing::TempDir() + "/since-bad " + c.name;
  std::ofstream(file, std::ios::binary) << c.text;
  fake::FakeForest forest;
  BuildForest(forest, /*after=*/true);
  const testing::RunOutcome run =
      testing::RunNestwalk(forest, {"-q", "-csv", "-since", file, "-in", "-"}, kList);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Error: -since " + file + " " + c.error + "\n");
  EXPECT_EQ(run.status, -1);
  EXPECT_TRUE(forest.searches().empty());
}

const std::string kHeader = "account,accountDn,groupDn,groupName,scope,kind\r\n";
const std::string kRow =
    "CORP\\alice,\"CN=alice,CN=Users,DC=corp,DC=example,DC=com\",\"CN=Sales,OU=Groups,DC=corp,"
    "DC=example,DC=com\",Sales,Global,Security\r\n";
constexpr char kForeign[] =
    "is no earlier output of nestwalk: its first line is neither the header of a -csv review "
    "nor the start of a -json document";

INSTANTIATE_TEST_SUITE_P(
    Cases, SinceBadFileTest,
    ::testing::Values(
        BadFile{"an empty file", "", "is empty, no earlier output of nestwalk"},
        BadFile{"an account list", kList, kForeign},
        BadFile{"a CSV of other columns", "account,group\r\nCORP\\alice,Sales\r\n", kForeign},
        BadFile{"CSV cut in the middle of a row", kHeader + kRow + kRow.substr(0, 40),
                "is no whole review of nestwalk: line 3 ends in the middle of a row: the file "
                "is cut short"},
        BadFile{"CSV cut inside a quoted cell", kHeader + kRow.substr(0, 30) + "\r\n",
                "is no whole review of nestwalk: line 2 ends in the middle of a row: the file "
                "is cut short"},
        BadFile{"a CSV row with a cell too few",
                kHeader + "CORP\\alice,\"CN=alice,DC=corp\",\"CN=G,DC=corp\",G,Global\r\n",
                "is no whole review of nestwalk: line 2 has 5 cells, not the 6 of the header"},
        BadFile{"the changes of -since", "change," + kHeader,
                "lists the changes of a -since run: compare with a review itself"},
        BadFile{"JSON cut in the middle of a document",
                "{\"principal\":{\"kind\":\"user\",\"name\":\"CORP\\\\alice\",\"dn\":\"CN=a\"},"
                "\"groups\":[\n",
                "is no whole review of nestwalk: line 1: the document ends in the middle: the "
                "file is cut short"},
        BadFile{"JSON that is no report", "{\"principal\":[]}\n",
                "is no whole review of nestwalk: line 1: it has no principal or no "
                "\"complete\""}));

}  // namespace
}  // namespace nestwalk
