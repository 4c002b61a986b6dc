// Reviews written by the report writers and read back: whatever the bytes of a name or DN, the
// text read back is the one the writer wrote, formula quote undone, and the keys are those this
// run makes of the directory's own bytes.
#include "report/earlier_review_file.h"

#include <ostream>
#include <sstream>
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "report/csv_report.h"
#include "report/json_report.h"
#include "report/review_key.h"
#include "text/utf8_escape.h"

namespace nestwalk {
namespace {

struct OddNames {
  const char* name;
  std::string account;  // as the principal line shows it
  std::string groupDn;
  std::string groupName;
};

void PrintTo(const OddNames& c, std::ostream* os) { *os << c.name; }

class ReadBackTest : public ::testing::TestWithParam<OddNames> {
 protected:
  const std::string kAccountDn = "CN=A,DC=corp";

  ReadBackTest() {
    groups_.AddGroup(GetParam().groupDn);
    groups_.StoreDetails(groups_.entries().begin()->first,
                         {GetParam().groupName, "-2147483646", ""});
  }

  static EarlierReview Read(const std::string& text) {
    std::istringstream in(text);
    std::variant<EarlierReview, std::string> read = ReadEarlierReview(in);
    if (const auto* problem = std::get_if<std::string>(&read)) ADD_FAILURE() << *problem;
    return std::holds_alternative<EarlierReview>(read) ? std::get<EarlierReview>(std::move(read))
                                                       : EarlierReview();
  }

  // What the review holds is the text written, and it is found by this run's keys.
  void ExpectReadBack(const EarlierReview& review, const std::string& written) {
    const OddNames& c = GetParam();
    std::string key;
    ASSERT_EQ(review.accounts().size(), 1u) << written;
    EXPECT_EQ(review.FindAccount(MakeReviewKey(c.account, key)), 0u) << written;
    ASSERT_EQ(review.groups().size(), 1u) << written;
    EXPECT_EQ(review.FindGroup(MakeReviewKey(c.groupDn, key)), 0u) << written;
    EXPECT_EQ(review.accounts()[0].groups, std::vector<std::uint32_t>{0}) << written;
    EXPECT_EQ(review.groups()[0].scope, "Global");
    EXPECT_EQ(review.groups()[0].kind, "Security");
  }

  GroupDetailsMap groups_;
};

TEST_P(ReadBackTest, CsvRowsReadBackAsWritten) {
  const OddNames& c = GetParam();
  std::string written = CsvHeader({.chains = true, .token = true});
  AppendCsvRows(written, {c.account, "a", kAccountDn, std::nullopt}, groups_,
                {.chains = true, .token = true},
                [](const std::string&) { return std::pair{std::size_t{1}, "a -> G"}; });
  const EarlierReview review = Read(written);
  ExpectReadBack(review, written);
  // The CSV's own text: escapes kept, its formula quote gone.
  auto csvText = [](const std::string& text) {
    return EscapeControlCharacters(EscapeInvalidUtf8(text), /*keepLayout=*/false);
  };
  EXPECT_EQ(review.accounts()[0].name, csvText(c.account)) << written;
  EXPECT_EQ(review.groups()[0].dn, csvText(c.groupDn)) << written;
  EXPECT_EQ(review.groups()[0].name, csvText(c.groupName)) << written;
}

TEST_P(ReadBackTest, JsonLinesAndIndentedDocumentsReadBackAsWritten) {
  const OddNames& c = GetParam();
  const MembershipGraph graph(groups_, kAccountDn);
  for (const bool oneLine : {true, false}) {
    std::string written;
    JsonGroups groupObjects;
    AppendJsonReport(written, groupObjects, {"user", c.account, kAccountDn, ""}, groups_, graph,
                     MembershipChains(graph), std::nullopt, oneLine);
    const EarlierReview review = Read(written);
    ExpectReadBack(review, written);
    EXPECT_EQ(review.accounts()[0].name, EscapeInvalidUtf8(c.account)) << written;
    EXPECT_EQ(review.groups()[0].dn, EscapeInvalidUtf8(c.groupDn)) << written;
    EXPECT_EQ(review.groups()[0].name, EscapeInvalidUtf8(c.groupName)) << written;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadBackTest,
    ::testing::Values(
        OddNames{"plain", "CORP\\alice", "CN=Sales,OU=Groups,DC=corp", "Sales"},
        OddNames{"formula starts", "=cmd|' /C calc'!A0", "CN=G,DC=corp", "@SUM(9)"},
        OddNames{"a leading tab and CR", "\tCORP\\alice", "CN=G,DC=corp", "\r=1"},
        OddNames{"a quote that starts no formula stays", "'CORP\\alice", "CN=G,DC=corp",
                 "'quoted'"},
        OddNames{"quotes and commas", "CORP\\a,b", "CN=\"Q\" G\\,x,DC=corp",
                 "-HYPERLINK(\"http://evil.test\",\"x\")"},
        OddNames{"bytes that are no UTF-8 and control characters", "CORP\\al\x1b" "ice",
                 "CN=\xC4rzte\x01,DC=corp", "\xC4rzte\x7f"},
        OddNames{"UTF-8 and letter case", "CORP\\\xC3\x84LICE", "CN=\xC3\x84rzte,DC=Corp",
                 "\xC3\x84rzte"}));

TEST(ReadEarlierReviewTest, AnAccountsShortfallAndAnAccountWithoutGroupsAreKept) {
  const std::string csv =
      "account,accountDn,groupDn,groupName,scope,kind\r\n"
      "CORP\\alice,\"CN=alice,DC=corp\",,INCOMPLETE: 2 groups could not be read in full,,\r\n"
      "CORP\\bob,\"CN=bob,DC=corp\",,,,\r\n";
  const std::string json =
      "{\n  \"principal\": {\"name\": \"CORP\\\\alice\", \"dn\": \"CN=alice,DC=corp\"},\n"
      "  \"groups\": [{\"dn\": \"CN=G,DC=corp\", \"sAMAccountName\": null}],\n"
      "  \"complete\": false\n}\n"
      "{\"principal\":{\"name\":\"CORP\\\\bob\",\"dn\":\"CN=bob,DC=corp\"},\"groups\":[],"
      "\"complete\":true}\n";
  for (const auto& [text, shortfall] :
       {std::pair{csv, "INCOMPLETE: 2 groups could not be read in full"},
        std::pair{json, "\"complete\": false"}}) {
    std::istringstream in(text);
    const auto read = ReadEarlierReview(in);
    ASSERT_TRUE(std::holds_alternative<EarlierReview>(read)) << std::get<std::string>(read);
    const EarlierReview& review = std::get<EarlierReview>(read);
    ASSERT_EQ(review.accounts().size(), 2u);
    EXPECT_EQ(review.accounts()[0].shortfall, shortfall);
    EXPECT_EQ(review.accounts()[1].name, "CORP\\bob");
    EXPECT_EQ(review.accounts()[1].shortfall, "");
    EXPECT_TRUE(review.accounts()[1].groups.empty());
  }
}

}  // namespace
}  // namespace nestwalk
