#include "support/report_reader.h"

#include <gtest/gtest.h>

namespace nestwalk::e2e {
namespace {

TEST(ReportReader, SplitsPrincipalHeadingGroupLinesAndTraces) {
  const Report report = ReadReport(
      "Security Principal: [USER] CORP\\alice\n"
      "DEBUG: RootDSE Completed\n"
      "Group Memberships:\n"
      "  [Local Security] [Printers Floor 2] CN=Printers\\, Floor 2,DC=corp\n"
      "  [Unknown Distribution] [] CN=Never Read,DC=corp\n");
  EXPECT_EQ(report.principalLines,
            std::vector<std::string>{"Security Principal: [USER] CORP\\alice"});
  EXPECT_EQ(report.headings, 1);
  ASSERT_EQ(report.groups.size(), 2u);
  EXPECT_EQ(report.groups[0].label, "Local Security");
  EXPECT_EQ(report.groups[0].samAccountName, "Printers Floor 2");
  EXPECT_EQ(report.groups[0].dn, "CN=Printers\\, Floor 2,DC=corp");
  EXPECT_EQ(report.groups[1].samAccountName, "");
  EXPECT_EQ(report.otherLines, std::vector<std::string>{"DEBUG: RootDSE Completed"});
}

}  // namespace
}  // namespace nestwalk::e2e
