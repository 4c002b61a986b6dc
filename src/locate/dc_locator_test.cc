#include "locate/dc_locator.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"
#include "support/corp_forest.h"

namespace nestwalk {
namespace {

using testing::CapturedConsole;

class DcLocatorTest : public ::testing::Test {
 protected:
  DcLocatorTest() { testing::AddCorpWithDc1(forest, true); }

  fake::FakeForest forest;
};

TEST_F(DcLocatorTest, FailuresWriteOneLineInEveryMode) {
  struct Case {
    int status;
    std::string baseMachine;
    std::string line;
  };
  const Case cases[] = {
      {1355, "", "DSGetDCName: No such domain - 1355\n"},
      {1722, "ghost", "DSGetDCName: Base machine [ghost] RPC Unavailable - 1722\n"},
      {1722, "", "DSGetDCName: Base machine [] RPC Unavailable - 1722\n"},
      {59, "", "DSGetDCName: Unhandled return value: 59\n"},
  };
  for (bool debug : {false, true}) {
    for (const Case& c : cases) {
      forest.SetLocatorAnswer(c.baseMachine, "NOPE", false, platform::LocatorAnswer{c.status, {}});
      CapturedConsole console(debug);
      const LocatedServer located =
          LocateDomainController(console.console, forest, c.baseMachine, "NOPE", false);
      EXPECT_EQ(located.name, "");
      EXPECT_EQ(located.site, "");
      EXPECT_FALSE(located.isGlobalCatalog);
      EXPECT_EQ(console.err.str(), (debug ? "Locating a DC for NOPE\n" : "") + c.line);
      EXPECT_EQ(console.out.str(), "");
    }
  }
}

TEST_F(DcLocatorTest, ALocatorReasonFollowsTheFailureLine) {
  struct Case {
    int status;
    std::string reason;
    std::string err;
  };
  const std::string slow = "LDAP ping: dc1.corp.example.com:3268 gave no answer within 2.5 s";
  const Case cases[] = {
      {1355, slow, "DSGetDCName: No such domain - 1355\n   " + slow + "\n"},
      {1722, "why", "DSGetDCName: Base machine [] RPC Unavailable - 1722\n   why\n"},
      {1355, "", "DSGetDCName: No such domain - 1355\n"},
      {0, "ignored", ""},
  };
  for (const Case& c : cases) {
    forest.SetLocatorAnswer("", "NOPE", false,
                            platform::LocatorAnswer{c.status, {"\\\\dc1", "", 0}, c.reason});
    CapturedConsole console(false);
    LocateDomainController(console.console, forest, "", "NOPE", false);
    EXPECT_EQ(console.err.str(), c.err) << c.reason;
  }
}

TEST_F(DcLocatorTest, UnknownDomainOfTheForestIsNoSuchDomain) {
  CapturedConsole console(false);
  EXPECT_EQ(LocateDomainController(console.console, forest, "", "OTHER", false).name, "");
  EXPECT_EQ(console.err.str(), "DSGetDCName: No such domain - 1355\n");
}

TEST_F(DcLocatorTest, SuccessReturnsLowerCasedNameWithItsBackslashes) {
  forest.SetLocatorAnswer(
      "", "CORP", false,
      platform::LocatorAnswer{0, {"\\\\DC1.Corp.Example.COM", "Default-First-Site-Name", 0x3f}});
  CapturedConsole console(true);
  const LocatedServer located = LocateDomainController(console.console, forest, "", "CORP", false);
  EXPECT_EQ(located.name, "\\\\dc1.corp.example.com");
  EXPECT_EQ(located.site, "default-first-site-name");
  EXPECT_TRUE(located.isGlobalCatalog);  // a DC query still reports the GC flag
  EXPECT_EQ(console.err.str(),
            "Locating a DC for CORP\n"
            "DSGetDCName: Returned ok\n"
            "DC located: \\\\dc1.corp.example.com\n");
}

TEST_F(DcLocatorTest, AsksWithTheFlagsOfItsQuery) {
  CapturedConsole console(true);
  const LocatedServer gc =
      LocateDomainController(console.console, forest, "", "corp.example.com", true);
  EXPECT_EQ(gc.name, "\\\\dc1.corp.example.com");
  EXPECT_TRUE(gc.isGlobalCatalog);
  EXPECT_EQ(console.err.str(),
            "Locating a GC...\n"
            "DSGetDCName: Returned ok\n"
            "DC located: \\\\dc1.corp.example.com\n");
  LocateDomainController(console.console, forest, "dc1.corp.example.com", "CORP", false);
  ASSERT_EQ(forest.locatorCalls().size(), 2u);
  EXPECT_EQ(forest.locatorCalls()[0].flags, 0x40000040u);
  EXPECT_EQ(forest.locatorCalls()[0].domainName, "corp.example.com");
  EXPECT_EQ(forest.locatorCalls()[1].flags, 0x40000010u);
  EXPECT_EQ(forest.locatorCalls()[1].computerName, "dc1.corp.example.com");
}

TEST_F(DcLocatorTest, NonGlobalCatalogAnswerClearsTheFlag) {
  forest.SetLocatorAnswer("", "CORP", false,
                          platform::LocatorAnswer{0, {"\\\\dc2.corp.example.com", "", 0x3b}});
  CapturedConsole console(false);
  const LocatedServer located = LocateDomainController(console.console, forest, "", "CORP", false);
  EXPECT_EQ(located.name, "\\\\dc2.corp.example.com");
  EXPECT_EQ(located.site, "");
  EXPECT_FALSE(located.isGlobalCatalog);
  EXPECT_EQ(console.err.str(), "");
}

TEST_F(DcLocatorTest, SiteNameKeepsItsCase) {
  forest.SetLocalSite(platform::SiteAnswer{0, "Default-First-Site-Name"});
  CapturedConsole debug(true);
  EXPECT_EQ(LookupSiteName(debug.console, forest, ""), "Default-First-Site-Name");
  EXPECT_EQ(debug.err.str(), "Retrieving Site Info for []\nSite: Default-First-Site-Name\n");

  CapturedConsole quiet(false);
  EXPECT_EQ(LookupSiteName(quiet.console, forest, ""), "Default-First-Site-Name");
  EXPECT_EQ(quiet.err.str(), "");
}

TEST_F(DcLocatorTest, NoSiteIsAnEmptyTextSilently) {
  forest.SetLocalSite(platform::SiteAnswer{1919, ""});
  CapturedConsole debug(true);
  EXPECT_EQ(LookupSiteName(debug.console, forest, ""), "");
  EXPECT_EQ(debug.err.str(), "Retrieving Site Info for []\n");
}

}  // namespace
}  // namespace nestwalk
