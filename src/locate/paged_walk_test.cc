#include "locate/paged_walk.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "locate/scripted_directory_fixture.h"
#include "locate/sites_fixture.h"

namespace nestwalk {
namespace {

using testing::ScriptedDirectory;
using testing::CapturedConsole;
using namespace testing::sites;  // the two-site forest and its builders

struct WalkCase {
  const char* label;
  std::vector<std::vector<std::string>> pages;  // DNs of each page
  int endStatus;
  std::string trace;  // standard output in debug mode
  friend void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.label; }
};

class PagedWalkTest : public ::testing::TestWithParam<WalkCase> {};

// Entries come in the order received, one page at a time, until any non-zero status.
TEST_P(PagedWalkTest, HandsOverEveryEntryInOrderUntilTheWalkEnds) {
  const WalkCase& c = GetParam();
  std::vector<std::vector<platform::Entry>> pages;
  std::vector<std::string> expected;
  for (const auto& dns : c.pages) {
    pages.emplace_back();
    for (const std::string& dn : dns) {
      pages.back().push_back({dn, {}});
      expected.push_back(dn);
    }
  }
  for (bool debug : {false, true}) {
    ScriptedDirectory directory(pages, c.endStatus);
    CapturedConsole captured(debug);
    std::vector<std::string> visited;
    const int status =
        WalkPagedSearch(captured.console, directory, platform::LdapHandle(1), {},
                        [&](const platform::Entry& entry) { visited.push_back(entry.dn); });

    // The end of the results is no failure; any other end is passed on.
    EXPECT_EQ(status, c.endStatus == platform::kLdapNoResultsReturned ? platform::kLdapSuccess
                                                                      : c.endStatus);

    EXPECT_EQ(visited, expected);
    EXPECT_EQ(directory.requestedPageSize, platform::kPageSize);
    EXPECT_EQ(directory.pageRequests, static_cast<int>(c.pages.size()) + 1);
    EXPECT_EQ(directory.requestsWithPageStillHeld, 0);
    EXPECT_EQ(captured.out.str(), debug ? c.trace : "");
    EXPECT_EQ(captured.err.str(), "");
  }
}

const std::string kStart = "DEBUG: Search Initialized...\nDEBUG: Have valid Search Handle...\n";
const std::string kPage = "DEBUG: Retrieving Page...\n";

INSTANTIATE_TEST_SUITE_P(
    Pages, PagedWalkTest,
    ::testing::Values(WalkCase{"NoPage", {}, platform::kLdapNoResultsReturned, kStart + kPage},
                      WalkCase{"EmptyPage", {{}}, 1, kStart + kPage + kPage},
                      WalkCase{"ThreePages",
                               {{"CN=b", "CN=a"}, {"CN=c"}, {"CN=e", "CN=d"}},
                               platform::kLdapServerDown,
                               kStart + kPage + kPage + kPage + kPage}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.label; });

}  // namespace
}  // namespace nestwalk
