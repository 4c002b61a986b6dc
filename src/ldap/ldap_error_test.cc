#include "ldap/ldap_error.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

namespace nestwalk {
namespace {

using platform::LdapHandle;

// Only the two texts the error lines ask for; every other operation fails.
class TextOnlyDirectory : public platform::Directory {
 public:
  std::map<std::uint64_t, std::string> serverTexts;
  int serverTextQueries = 0;

  platform::OpenResult Open(const std::optional<std::string>&, int, bool) override {
    return {LdapHandle(), -1};
  }
  int SetOption(LdapHandle, platform::LdapOption, int) override { return -1; }
  int SimpleBind(LdapHandle, const std::optional<std::string>&,
                 const std::optional<std::string>&) override {
    return -1;
  }
  int NegotiateBind(LdapHandle, const std::optional<platform::ExplicitCredentials>&) override {
    return -1;
  }
  platform::SearchResult Search(LdapHandle, const platform::SearchRequest&) override {
    return {-1, {}};
  }
  int SendSearch(LdapHandle, const platform::SearchRequest&) override { return 1; }
  std::vector<platform::SearchAnswer> AwaitAnswers(std::chrono::milliseconds) override {
    return {};
  }
  std::unique_ptr<platform::PagedSearch> StartPagedSearch(LdapHandle,
                                                          const platform::SearchRequest&,
                                                          int) override {
    return nullptr;
  }
  std::string ErrorText(int code) override { return "text of " + std::to_string(code); }
  std::optional<std::string> ServerErrorText(LdapHandle connection) override {
    ++serverTextQueries;
    auto found = serverTexts.find(connection.id());
    if (found == serverTexts.end()) return std::nullopt;
    return found->second;
  }
  void Unbind(LdapHandle) override {}
};

TEST(ReportLdapErrorTest, WritesTheErrorLineAndTheServerText) {
  struct Case {
    std::string label;
    std::string server;
    int code;
    LdapHandle connection;
    std::string expected;
  };
  const Case cases[] = {
      {"LDAP_BIND", "dc1.corp.example.com", 81, LdapHandle(),
       "LDAP_BIND: [dc1.corp.example.com] Error 0x51 (81) - text of 81\n"},
      {"LDAP_BIND", "dc1", 49, LdapHandle(), "LDAP_BIND: [dc1] Error 0x31 (49) - text of 49\n"},
      {"LDAP_SSLINIT", "dc1", 5, LdapHandle(), "LDAP_SSLINIT: [dc1] Error 0x5 (5) - text of 5\n"},
      {"LDAP_SSLINIT", "dc1", 0, LdapHandle(), "LDAP_SSLINIT: [dc1] Error 0x0 (0) - text of 0\n"},
      {"LDAP_BIND", "dc1", -1, LdapHandle(),
       "LDAP_BIND: [dc1] Error 0xffffffff (-1) - text of -1\n"},
      {"LDAP_BIND", "dc1", -11, LdapHandle(),
       "LDAP_BIND: [dc1] Error 0xfffffff5 (-11) - text of -11\n"},
      {"LDAP_BIND", "dc1", 1765328189, LdapHandle(),
       "LDAP_BIND: [dc1] Error 0x6938c53d (1765328189) - text of 1765328189\n"},
      {"LDAP_OPTION (Version3): ", "", 89, LdapHandle(),
       "LDAP_OPTION (Version3): : [] Error 0x59 (89) - text of 89\n"},
      // A connection whose server sent nothing: the first line only.
      {"LDAP_BIND", "dc1", 49, LdapHandle(7), "LDAP_BIND: [dc1] Error 0x31 (49) - text of 49\n"},
      {"LDAP_BIND", "dc1", 49, LdapHandle(3),
       "LDAP_BIND: [dc1] Error 0x31 (49) - text of 49\n"
       "Extended Error: (80090308: LdapErr: DSID-0C09042A, data 52e)\n"},
      {"LDAP_BIND", "dc1", 49, LdapHandle(4),
       "LDAP_BIND: [dc1] Error 0x31 (49) - text of 49\nExtended Error: ()\n"},
  };
  for (const Case& c : cases) {
    TextOnlyDirectory directory;
    directory.serverTexts[3] = "80090308: LdapErr: DSID-0C09042A, data 52e";
    directory.serverTexts[4] = "";
    std::ostringstream out;
    std::ostringstream err;
    Console console(out, err, false, false);
    ReportLdapError(console, directory, c.label, c.server, c.code, c.connection);
    EXPECT_EQ(err.str(), c.expected) << c.label << " " << c.code;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(directory.serverTextQueries, c.connection.valid() ? 1 : 0);
  }
}

TEST(ReportSearchFailureTest, WritesTwoLinesTheReferralsAndAnEmptyLine) {
  const std::pair<platform::SearchResult, std::string> cases[] = {
      {{32, {}}, "LDAP_SEARCH_S: 0x20\nLDAP_SEARCH_S: text of 32\n\n"},
      {{-1, {}}, "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: text of -1\n\n"},
      {{0x5e, {}}, "LDAP_SEARCH_S: 0x5e\nLDAP_SEARCH_S: text of 94\n\n"},
      // A referral names where it pointed, so that nobody takes it for an empty answer.
      {{10, {}, {"ldap://evil.test/CN=x", "ldap://other.test/"}},
       "LDAP_SEARCH_S: 0xa\nLDAP_SEARCH_S: text of 10\n"
       "   Referral to ldap://evil.test/CN=x not followed\n"
       "   Referral to ldap://other.test/ not followed\n\n"},
  };
  for (const auto& [result, expected] : cases) {
    TextOnlyDirectory directory;
    std::ostringstream out;
    std::ostringstream err;
    Console console(out, err, true, true);
    ReportSearchFailure(console, directory, result);
    EXPECT_EQ(err.str(), expected);
    EXPECT_EQ(out.str(), "");
  }
}

}  // namespace
}  // namespace nestwalk
