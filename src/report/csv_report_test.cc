#include "report/csv_report.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace nestwalk {
namespace {

struct RowCase {
  const char* name;
  std::string account;
  std::string groupDn;
  std::string groupName;
  CsvColumns columns;
  std::string rows;
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class CsvRowsTest : public ::testing::TestWithParam<RowCase> {};

// Every field is escaped and quoted as it needs; the account's fields as well as the group's.
TEST_P(CsvRowsTest, FieldsAreEscapedAndQuotedAsTheyNeed) {
  const RowCase& c = GetParam();
  GroupDetailsMap groups;
  if (!c.groupDn.empty()) {
    groups.AddGroup(c.groupDn);
    groups.StoreDetails(groups.entries().begin()->first, {c.groupName, "-2147483646", ""});
  }
  std::string rows = "before\r\n";
  AppendCsvRows(rows, {c.account, "alice", "CN=Alice,DC=corp", TokenEstimate{1, 2}}, groups,
                c.columns, [](const std::string&) { return std::pair{std::size_t{2}, "a > G"}; });
  EXPECT_EQ(rows, "before\r\n" + c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRowsTest,
    ::testing::Values(
        RowCase{"plain names stand as they are, a DN is quoted for its commas", "CORP\\alice",
                "CN=G,DC=corp", "G", {},
                "CORP\\alice,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",G,Global,Security\r\n"},
        RowCase{"quotes are doubled inside quotes", "CORP\\alice", "CN=\"Q\" G,DC=corp",
                "say \"hi\"", {},
                "CORP\\alice,\"CN=Alice,DC=corp\",\"CN=\"\"Q\"\" G,DC=corp\",\"say \"\"hi\"\"\","
                "Global,Security\r\n"},
        RowCase{"control characters and bytes that are no UTF-8 are written as escapes",
                "CORP\\al\x1b" "ice", "CN=\xC4x,DC=corp", "tab\there", {},
                "CORP\\al\\1Bice,\"CN=Alice,DC=corp\",\"CN=\\C4x,DC=corp\",tab\\09here,Global,"
                "Security\r\n"},
        RowCase{"bytes past the last whole eight are looked at too", "CORP\\alice",
                "CN=G,DC=corp", "0123456789,\x7f", {},
                "CORP\\alice,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",\"0123456789,\\7F\",Global,"
                "Security\r\n"},
        RowCase{"an escaped value with a quote is still quoted", "CORP\\alice", "CN=G,DC=corp",
                "ab\"\x7f\"cdef", {},
                "CORP\\alice,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",\"ab\"\"\\7F\"\"cdef\",Global,"
                "Security\r\n"},
        RowCase{"an account without groups has one row with the group's fields empty",
                "CORP\\alice", "", "", {.chains = true, .token = true},
                "CORP\\alice,\"CN=Alice,DC=corp\",,,,,,,1256\r\n"},
        RowCase{"a name that begins with = + - or @ gets a quote before it, not inside it",
                "=cmd|' /C calc'!A0", "CN=G,DC=corp", "@SUM(9)", {},
                "'=cmd|' /C calc'!A0,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",'@SUM(9),Global,"
                "Security\r\n"},
        RowCase{"the quote goes inside the quoted field", "+1", "CN=G,DC=corp",
                "-HYPERLINK(\"http://evil.test\",\"x\")", {},
                "'+1,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",\"'-HYPERLINK(\"\"http://evil.test\"\","
                "\"\"x\"\")\",Global,Security\r\n"},
        RowCase{"a leading tab or CR gets it before its escape", "\tCORP\\alice", "CN=G,DC=corp",
                "\r=1", {},
                "'\\09CORP\\alice,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",'\\0D=1,Global,"
                "Security\r\n"},
        RowCase{"those characters past the first stay as they are", "CORP\\a-b", "CN=G,DC=corp",
                "a=b+c@d", {},
                "CORP\\a-b,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",a=b+c@d,Global,Security\r\n"},
        RowCase{"the chain and token columns follow the six", "CORP\\alice", "CN=G,DC=corp", "G",
                {.chains = true, .token = true},
                "CORP\\alice,\"CN=Alice,DC=corp\",\"CN=G,DC=corp\",G,Global,Security,2,a > G,"
                "1256\r\n"}));

}  // namespace
}  // namespace nestwalk
