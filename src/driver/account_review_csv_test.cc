// Whole -csv reviews against a fake forest: a cell a spreadsheet would run as a formula is made
// text, and the header row is there whenever the review gets as far as its reports.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"
#include "support/corp_forest.h"
#include "support/run_harness.h"

namespace nestwalk {
namespace {

constexpr char kAlice[] = "CN=alice,CN=Users,DC=corp,DC=example,DC=com";
constexpr char kMallory[] = "CN=Mallory,CN=Users,DC=corp,DC=example,DC=com";

// alice in the group @SUM(9); -mallory, whose name begins a formula, in -HYPERLINK(...).
void BuildFormulaForest(fake::FakeForest& forest) {
  testing::AddCorpWithDc1(forest, /*globalCatalog=*/true);
  forest.AddGroup("CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com", "Domain Users",
                  "-2147483646", {}, 513);
  forest.AddUser(kAlice, "alice", "513");
  forest.AddGroup("CN=Sum,CN=Users,DC=corp,DC=example,DC=com", "@SUM(9)", "-2147483646", {kAlice});
  forest.AddUser(kMallory, "-mallory", "513");
  forest.AddGroup("CN=Link,CN=Users,DC=corp,DC=example,DC=com",
                  "-HYPERLINK(\"http://evil.test\",\"x\")", "-2147483646", {kMallory});
}

TEST(AccountReviewCsvTest, CellsThatASpreadsheetWouldRunAreWrittenAsText) {
  fake::FakeForest forest;
  BuildFormulaForest(forest);
  const testing::RunOutcome review = testing::RunNestwalk(
      forest, {"-q", "-csv", "-path", "-in", "-"}, "CORP\\alice\nCORP\\-mallory\n");
  EXPECT_EQ(
      review.out,
      "account,accountDn,groupDn,groupName,scope,kind,depth,via\r\n"
      "CORP\\alice,\"CN=alice,CN=Users,DC=corp,DC=example,DC=com\",\"CN=Domain "
      "Users,CN=Users,DC=corp,DC=example,DC=com\",Domain Users,Global,Security,1,alice "
      "=primary=> Domain Users\r\n"
      "CORP\\alice,\"CN=alice,CN=Users,DC=corp,DC=example,DC=com\",\"CN=Sum,CN=Users,DC="
      "corp,DC=example,DC=com\",'@SUM(9),Global,Security,1,alice -> @SUM(9)\r\n"
      "CORP\\-mallory,\"CN=Mallory,CN=Users,DC=corp,DC=example,DC=com\",\"CN=Domain "
      "Users,CN=Users,DC=corp,DC=example,DC=com\",Domain Users,Global,Security,1,'-mallory "
      "=primary=> Domain Users\r\n"
      "CORP\\-mallory,\"CN=Mallory,CN=Users,DC=corp,DC=example,DC=com\",\"CN=Link,CN=Users,"
      "DC=corp,DC=example,DC=com\",\"'-HYPERLINK(\"\"http://evil.test\"\",\"\"x\"\")\","
      "Global,Security,1,\"'-mallory -> -HYPERLINK(\"\"http://evil.test\"\",\"\"x\"\")\"\r\n");
  EXPECT_EQ(review.err, "");
  EXPECT_EQ(review.status, 0);

  // The JSON report keeps the names as the directory holds them.
  fake::FakeForest jsonForest;
  BuildFormulaForest(jsonForest);
  const std::string json =
      testing::RunNestwalk(jsonForest, {"-q", "-json", "-in", "-"}, "CORP\\-mallory\n").out;
  EXPECT_NE(json.find(R"json("sAMAccountName":"-HYPERLINK(\"http://evil.test\",\"x\")")json"),
            std::string::npos)
      << json;
}

struct HeaderCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::string out;
  std::string err;
  int status;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class ReviewCsvHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ReviewCsvHeaderTest, TheHeaderIsWrittenWhenTheReviewGetsToItsReports) {
  const HeaderCase& c = GetParam();
  fake::FakeForest forest;
  testing::ThreeDomainForest::Build(forest, /*otherIsGc=*/false);
  const testing::RunOutcome review = testing::RunNestwalk(forest, c.args, c.input);
  EXPECT_EQ(review.out, c.out);
  EXPECT_EQ(review.err, c.err);
  EXPECT_EQ(review.status, c.status);
}

const std::string kHeader = "account,accountDn,groupDn,groupName,scope,kind\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReviewCsvHeaderTest,
    ::testing::Values(
        HeaderCase{"an OU that holds no account",
                   {"-q", "-csv", "-under", "OU=Groups,DC=emea,DC=corp,DC=example,DC=com"},
                   "",
                   kHeader,
                   "",
                   0},
        HeaderCase{"an OU that holds no account, with the columns of -path and -token",
                   {"-q", "-csv", "-path", "-token", "-under",
                    "OU=Groups,DC=emea,DC=corp,DC=example,DC=com"},
                   "",
                   "account,accountDn,groupDn,groupName,scope,kind,depth,via,tokenBytes\r\n",
                   "",
                   0},
        HeaderCase{"a list whose only account is not found",
                   {"-q", "-csv", "-in", "-"},
                   "EMEA\\nobody\n",
                   kHeader,
                   "ERROR: Couldn't find SAMName nobody in DC=emea,DC=corp,DC=example,DC=com\n",
                   8},
        HeaderCase{
            "a list that names no account", {"-q", "-csv", "-in", "-"}, "# none\n", kHeader, "", 0},
        HeaderCase{"a review that cannot start writes no header",
                   {"-q", "-csv", "-in", "-"},
                   "NOWHERE\\alice\n",
                   "",
                   "DSGetDCName: No such domain - 1355\n",
                   -1}));

}  // namespace
}  // namespace nestwalk
