// Searches sent without waiting, many in flight on one connection to the real Samba DC.
#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/linux/linux_directory.h"
#include "support/e2e_environment.h"

namespace nestwalk::platform {
namespace {

constexpr int kLdapPort = 389;
constexpr std::size_t kInFlight = 300;

// A whole result as text, so that any difference in code, entry, attribute or value shows.
std::string Rendered(const SearchResult& result) {
  std::string text = "code " + std::to_string(result.code) + "\n";
  for (const Entry& entry : result.entries) {
    text += "dn: " + entry.dn + "\n";
    for (const Attribute& attribute : entry.attributes) {
      for (const std::string& value : attribute.values) text += attribute.name + ": " + value + "\n";
    }
  }
  return text;
}

SearchRequest BaseRead(const std::string& dn) {
  SearchRequest request;
  request.base = dn;
  request.filter = "(objectClass=*)";
  request.attributes = {"memberOf", "objectClass", "objectSid", "groupType", "sAMAccountName"};
  return request;
}

// Bound with the caller's ticket and a SASL security layer, as the program binds.
TEST(SentSearchesE2e, ManyBaseReadsInFlightAnswerAsSynchronousSearches) {
  NESTWALK_E2E_REQUIRE_DOMAIN(env);
  LinuxDirectory directory;
  const LdapHandle handle = directory.Open(env.dc, kLdapPort, false).handle;
  ASSERT_EQ(directory.SetOption(handle, LdapOption::kProtocolVersion, 3), 0);
  ASSERT_EQ(directory.SetOption(handle, LdapOption::kReferrals, 0), 0);
  ASSERT_EQ(directory.SetOption(handle, LdapOption::kEncryption, 1), 0);
  ASSERT_EQ(directory.NegotiateBind(handle, std::nullopt), 0);

  SearchRequest everything;
  everything.base = env.baseDn;
  everything.scope = SearchScope::kSubtree;
  everything.attributes = {"1.1"};
  const SearchResult listed = directory.Search(handle, everything);
  ASSERT_EQ(listed.code, 0);
  ASSERT_FALSE(listed.entries.empty());
  // The domain's objects in turn, and one that does not exist among them.
  std::vector<SearchRequest> requests;
  for (std::size_t i = 0; requests.size() < kInFlight; ++i) {
    requests.push_back(i == 7 ? BaseRead("CN=Nobody Here," + env.baseDn)
                              : BaseRead(listed.entries[i % listed.entries.size()].dn));
  }

  std::map<int, std::size_t> sent;  // id -> request
  for (std::size_t i = 0; i < requests.size(); ++i) {
    sent[directory.SendSearch(handle, requests[i])] = i;
  }
  ASSERT_EQ(sent.size(), requests.size()) << "ids repeat";
  // A synchronous search between sending and collecting still gets its own answer.
  EXPECT_EQ(Rendered(directory.Search(handle, requests[0])).rfind("code 0\ndn: ", 0), 0u);

  std::map<int, std::string> answered;
  for (int wait = 0; wait < 100 && answered.size() < sent.size(); ++wait) {
    for (const SearchAnswer& answer : directory.AwaitAnswers(std::chrono::seconds(5))) {
      EXPECT_EQ(answer.connection, handle);
      EXPECT_TRUE(answered.emplace(answer.id, Rendered(answer.result)).second)
          << "answered twice: " << answer.id;
    }
  }
  ASSERT_EQ(answered.size(), sent.size());
  EXPECT_TRUE(directory.AwaitAnswers(std::chrono::seconds(5)).empty());
  for (const auto& [id, index] : sent) {
    EXPECT_EQ(answered[id], Rendered(directory.Search(handle, requests[index]))) << index;
  }
  EXPECT_EQ(answered[std::next(sent.begin(), 7)->first].rfind("code 32\n", 0), 0u);
  directory.Unbind(handle);
}

}  // namespace
}  // namespace nestwalk::platform
