// Whole -csv reviews against a fake forest: a cell a spreadsheet would run as a formula is made
// text.
#include <string>

#include <gtest/gtest.h>

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
  forest.AddGroup("CN=Sum,CN=Users,DC=corp,DC=example,DC=com", "@SUM(9)", "-2147483646",
                  {kAlice});
  forest.AddUser(kMallory, "-mallory", "513");
  forest.AddGroup("CN=Link,CN=Users,DC=corp,DC=example,DC=com",
                  "-HYPERLINK(\"http://evil.test\",\"x\")", "-2147483646", {kMallory});
}

TEST(AccountReviewCsvTest, CellsThatASpreadsheetWouldRunAreWrittenAsText) {
  fake::FakeForest forest;
  BuildFormulaForest(forest);
  const testing::RunOutcome review = testing::RunNestwalk(
      forest, {"-q", "-csv", "-path", "-in", "-"}, "CORP\\alice\nCORP\\-mallory\n");
  EXPECT_EQ(review.out,
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

}  // namespace
}  // namespace nestwalk
