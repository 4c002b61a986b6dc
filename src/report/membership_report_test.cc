#include "report/membership_report.h"

#include <sstream>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

TEST(GroupTypeLabelTest, DecodesScopeFromBitsOneToThreeAndKindFromBit31) {
  struct Case {
    const char* groupType;
    const char* label;
  };
  const Case cases[] = {
      {"-2147483646", "Global Security"},
      {"2", "Global Distribution"},
      {"-2147483644", "Local Security"},
      {"-2147483643", "Local Security"},  // built-in local group: bit 0x1 takes no part
      {"4", "Local Distribution"},
      {"-2147483640", "Universal Security"},
      {"8", "Universal Distribution"},
      {"-1", "Unknown Security"},  // the attribute was missing
      {"0", "Unknown Distribution"},
      {"6", "Unknown Distribution"},
      {"10", "Unknown Distribution"},
      {"", "Unknown Distribution"},  // the entry was never read
      {"  -2147483646xyz", "Global Security"},
      {"+8", "Universal Distribution"},
      {"abc", "Unknown Distribution"},
      {"18", "Global Distribution"},  // bits above 0x8 take no part in the scope
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GroupTypeLabel(c.groupType), c.label) << "groupType \"" << c.groupType << "\"";
  }
}

GroupDetailsMap SampleGroups() {
  GroupDetailsMap groups;
  groups.AddGroup("CN=Sales,OU=Groups,DC=corp,DC=com");
  groups.StoreDetails("cn=sales,ou=groups,dc=corp,dc=com", {"Sales", "-2147483646", ""});
  groups.AddGroup("CN=Unread,DC=corp,DC=com");
  groups.AddGroup("cn=Admins,DC=corp,DC=com");
  groups.StoreDetails("cn=admins,dc=corp,dc=com", {"Admins", "-2147483643", ""});
  return groups;
}

TEST(MembershipReportTest, WritesHeadingAndOneLinePerGroupInKeyOrder) {
  testing::CapturedConsole captured;
  WriteMembershipReport(captured.console, SampleGroups());
  EXPECT_EQ(captured.out.str(),
            "Group Memberships:\n"
            "  [Local Security] [Admins] cn=Admins,DC=corp,DC=com\n"
            "  [Global Security] [Sales] CN=Sales,OU=Groups,DC=corp,DC=com\n"
            "  [Unknown Distribution] [] CN=Unread,DC=corp,DC=com\n");
  EXPECT_EQ(captured.err.str(), "");
}

TEST(MembershipReportTest, QuietDropsOnlyTheHeading) {
  testing::CapturedConsole quiet(/*debug=*/false, /*quiet=*/true);
  WriteMembershipReport(quiet.console, SampleGroups());
  EXPECT_EQ(quiet.out.str(),
            "  [Local Security] [Admins] cn=Admins,DC=corp,DC=com\n"
            "  [Global Security] [Sales] CN=Sales,OU=Groups,DC=corp,DC=com\n"
            "  [Unknown Distribution] [] CN=Unread,DC=corp,DC=com\n");
}

TEST(MembershipReportTest, EmptyMapGivesTheHeadingAloneOrNothing) {
  GroupDetailsMap none;
  testing::CapturedConsole loud;
  WriteMembershipReport(loud.console, none);
  EXPECT_EQ(loud.out.str(), "Group Memberships:\n");
  testing::CapturedConsole quiet(/*debug=*/false, /*quiet=*/true);
  WriteMembershipReport(quiet.console, none);
  EXPECT_EQ(quiet.out.str(), "");
}

}  // namespace
}  // namespace nestwalk
