#include "platform/linux/smb_conf.h"

#include <gtest/gtest.h>

namespace nestwalk::platform {
namespace {

TEST(SmbConfTest, ReadsGlobalSettingsLikeSamba) {
  const SmbConfSettings s = ParseSmbConf(
      "# Global parameters\n"
      "[global]\n"
      "\tNetBIOS Name = DC1\n"
      "\trealm = CORP.NESTWALK.TEST\n"
      "\tserver_role = active directory domain controller\n"
      "\tworkgroup = \\\n"
      "   CORP\n"
      "; security = user\n"
      "[netlogon]\n"
      "\tpath = /var/lib/samba/sysvol\n"
      "\tworkgroup = NOTME\n");
  EXPECT_EQ(s.netbiosName, "DC1");
  EXPECT_EQ(s.realm, "CORP.NESTWALK.TEST");
  EXPECT_EQ(s.workgroup, "CORP");
  EXPECT_EQ(s.serverRole, "active directory domain controller");
  EXPECT_EQ(s.security, std::nullopt);
  EXPECT_TRUE(s.JoinedToDomain());
}

TEST(SmbConfTest, EdgesOfTheSyntax) {
  struct Case {
    const char* name;
    const char* text;
    std::optional<std::string> workgroup;
  };
  const Case cases[] = {
      {"empty", "", std::nullopt},
      {"before any section counts as global", "workgroup = EARLY\n[homes]\n", "EARLY"},
      {"later line wins", "[global]\nworkgroup = A\nworkgroup = B\n", "B"},
      {"section names ignore case and blanks", "[ GLOBAL ]\nworkgroup=W\n", "W"},
      {"other sections ignored", "[printers]\nworkgroup = P\n", std::nullopt},
      {"back to global", "[printers]\n[global]\nworkgroup = G\n", "G"},
      {"hash comment", "#workgroup = X\n", std::nullopt},
      {"no equals sign", "workgroup CORP\n", std::nullopt},
      {"value trimmed, CRLF", "workgroup =   CORP  \r\n", "CORP"},
      {"empty value", "workgroup =\n", ""},
      {"continuation at end of text", "workgroup = CO\\", "CO"},
      {"no final line end", "workgroup = LAST", "LAST"},
      {"value keeps inner equals", "workgroup = a=b\n", "a=b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseSmbConf(c.text).workgroup, c.workgroup) << c.name;
  }
}

TEST(SmbConfTest, JoinState) {
  struct Case {
    const char* text;
    bool joined;
  };
  const Case cases[] = {
      {"security = ADS\n", true},
      {"security = user\n", false},
      {"server role = active directory domain controller\n", true},
      {"server role = DC\n", true},
      {"server role = domain controller\n", true},
      {"server role = member server\n", false},
      {"server role = standalone server\n", false},
      {"workgroup = CORP\nrealm = CORP.TEST\n", false},
      {"[share]\nsecurity = ads\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseSmbConf(c.text).JoinedToDomain(), c.joined) << c.text;
  }
}

TEST(SmbConfTest, MissingFileIsNotAnError) {
  EXPECT_EQ(ReadSmbConf("/nonexistent/nestwalk/smb.conf"), std::nullopt);
}

}  // namespace
}  // namespace nestwalk::platform
