#include "locate/site_links.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "locate/sites_fixture.h"

namespace nestwalk {
namespace {

using testing::CapturedConsole;
using namespace testing::sites;  // the two-site forest and its builders

class SiteLinksTest : public ::testing::Test {
 protected:
  SiteLinksTest() {
    AddCorpForest(forest);
    for (const SiteLinkSetup& link : {kHubBranch, kHubLab, kBareLink, kSmtpLink, kBranchOnly}) {
      AddSiteLink(forest, link);
    }
  }

  void Read(CapturedConsole& captured, const std::string& site) {
    ReadSiteLinkCosts(captured.console, forest, BoundConnectionTo(forest, kHost), site, kConfigNc);
  }

  fake::FakeForest forest;
};

// Only IP links listing the site; costs as stored; absent values traced empty.
TEST_F(SiteLinksTest, TracesTheIpLinksOfTheSite) {
  CapturedConsole hub(true);
  Read(hub, "hub");
  EXPECT_EQ(hub.out.str(), PageTrace(2));
  EXPECT_EQ(hub.err.str(), "Retrieving site link costs\n" + LinkTrace(kHubBranch) +
                               LinkTrace(kHubLab) + LinkTrace(kBareLink));
}

TEST_F(SiteLinksTest, SiteWithoutLinksTracesOnlyTheSearch) {
  CapturedConsole nowhere(true);
  Read(nowhere, "nowhere");
  EXPECT_EQ(nowhere.out.str(), PageTrace(2));
  EXPECT_EQ(nowhere.err.str(), "Retrieving site link costs\n");
}

TEST_F(SiteLinksTest, WithoutDebugSearchesSilently) {
  CapturedConsole hub(false);
  Read(hub, "hub");
  EXPECT_EQ(hub.out.str(), "");
  EXPECT_EQ(hub.err.str(), "");
  ExpectOnePagedSearch(forest, "cn=ip,cn=inter-site transports,cn=sites," + kConfigNc,
                       "(&(objectcategory=sitelink)(sitelist=cn=hub,cn=sites," + kConfigNc + "))",
                       {"cost", "name"});
}

TEST_F(SiteLinksTest, FailingPageEndsTheTraceSilently) {
  forest.SetMaxPageSize(1);
  forest.FailPagedSearchAfter(1, platform::kLdapServerDown);
  CapturedConsole hub(true);
  Read(hub, "hub");
  EXPECT_EQ(hub.out.str(), PageTrace(2));
  EXPECT_EQ(hub.err.str(), "Retrieving site link costs\n" + LinkTrace(kHubBranch));
}

TEST_F(SiteLinksTest, SearchThatCannotStartEndsAfterTheFirstLine) {
  forest.FailPagedSearchStart();
  CapturedConsole hub(true);
  Read(hub, "hub");
  EXPECT_EQ(hub.out.str(), "DEBUG: Search Initialized...\n");
  EXPECT_EQ(hub.err.str(), "Retrieving site link costs\n");
}

// A site name is server-supplied text: filter metacharacters in it are matched literally, so a
// parenthesis cannot break the filter and "*" cannot match every link.
struct EscapeCase {
  const char* label;
  std::string site;            // as the locator reports it
  std::string escapedSite;     // as it must stand in the filter
  std::string storedSiteName;  // the site object's common name
  friend void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.label; }
};

class SiteLinkEscapeTest : public SiteLinksTest,
                           public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(SiteLinkEscapeTest, MatchesTheSiteLiterally) {
  const EscapeCase& c = GetParam();
  const SiteLinkSetup odd{"IP", "Odd", {c.storedSiteName}, "5", "Odd"};
  AddSiteLink(forest, odd);
  CapturedConsole captured(true);
  Read(captured, c.site);

  EXPECT_EQ(
      forest.searches().back().request.filter,
      "(&(objectcategory=sitelink)(sitelist=cn=" + c.escapedSite + ",cn=sites," + kConfigNc + "))");
  EXPECT_EQ(captured.err.str(), "Retrieving site link costs\n" + LinkTrace(odd));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SiteLinkEscapeTest,
    ::testing::Values(EscapeCase{"Parentheses", "lab(1)", "lab\\281\\29", "Lab(1)"},
                      EscapeCase{"Asterisk", "*", "\\2a", "*"},
                      EscapeCase{"Backslash", "a\\5c", "a\\5c5c", "a\\5c"}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return info.param.label; });

}  // namespace
}  // namespace nestwalk
