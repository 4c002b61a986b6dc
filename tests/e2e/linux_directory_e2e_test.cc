// The libldap directory against the real Samba AD DC of the e2e namespace.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/directory.h"
#include "platform/forest_domains.h"
#include "platform/linux/linux_directory.h"
#include "support/e2e_environment.h"

namespace nestwalk::platform {
namespace {

constexpr int kLdapPort = 389;
constexpr int kGlobalCatalogPort = 3268;
constexpr int kLdapStrongAuthRequired = 8;

SearchRequest Subtree(const std::string& base, const std::string& filter,
                      std::vector<std::string> attributes) {
  SearchRequest request;
  request.base = base;
  request.scope = SearchScope::kSubtree;
  request.filter = filter;
  request.attributes = std::move(attributes);
  return request;
}

// Points the Kerberos library at a ticket cache that does not exist for one scope.
class WithoutTicketCache {
 public:
  WithoutTicketCache() {
    if (const char* cache = std::getenv("KRB5CCNAME")) saved_ = cache;
    setenv("KRB5CCNAME", "FILE:/nonexistent/nestwalk-e2e-no-cache", 1);
  }
  ~WithoutTicketCache() {
    if (saved_) {
      setenv("KRB5CCNAME", saved_->c_str(), 1);
    } else {
      unsetenv("KRB5CCNAME");
    }
  }
  WithoutTicketCache(const WithoutTicketCache&) = delete;
  WithoutTicketCache& operator=(const WithoutTicketCache&) = delete;

 private:
  std::optional<std::string> saved_;
};

class LinuxDirectoryE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::optional<e2e::E2eEnvironment> domain = e2e::ReadE2eEnvironment();
    if (!domain) GTEST_SKIP() << "NESTWALK_E2E_* not set: run through tests/e2e/run";
    domain_ = *domain;
  }

  // Opened and configured as the program does it, not yet bound.
  LdapHandle OpenDc(int port) {
    OpenResult opened = directory_.Open(domain_.dc, port, false);
    EXPECT_TRUE(opened.handle.valid()) << opened.error;
    EXPECT_EQ(directory_.SetOption(opened.handle, LdapOption::kProtocolVersion, 3), 0);
    EXPECT_EQ(directory_.SetOption(opened.handle, LdapOption::kReferrals, 0), 0);
    return opened.handle;
  }

  LdapHandle BoundDc(int port) {
    LdapHandle handle = OpenDc(port);
    EXPECT_EQ(directory_.NegotiateBind(handle, std::nullopt), 0)
        << directory_.ServerErrorText(handle).value_or("");
    return handle;
  }

  ExplicitCredentials Administrator(const std::string& password) const {
    return ExplicitCredentials{"Administrator", domain_.domain, password};
  }

  SearchResult SearchRootDse(LdapHandle handle) {
    SearchRequest request;
    request.attributes = {"defaultNamingContext", "configurationNamingContext", "dnsHostName"};
    return directory_.Search(handle, request);
  }

  e2e::E2eEnvironment domain_;
  LinuxDirectory directory_;
};

TEST_F(LinuxDirectoryE2eTest, NegotiateBindWithTheCallersTicketOnDcAndGcPorts) {
  for (int port : {kLdapPort, kGlobalCatalogPort}) {
    LdapHandle handle = OpenDc(port);
    ASSERT_EQ(directory_.SetOption(handle, LdapOption::kEncryption, 1), 0);
    ASSERT_EQ(directory_.NegotiateBind(handle, std::nullopt), 0)
        << port << ": " << directory_.ServerErrorText(handle).value_or("");
    // The RootDSE shows more than the anonymous view once bound.
    SearchResult root = SearchRootDse(handle);
    ASSERT_EQ(root.code, 0) << port;
    ASSERT_EQ(root.entries.size(), 1u) << port;
    EXPECT_EQ(root.entries[0].First("defaultNamingContext"), domain_.baseDn) << port;
    directory_.Unbind(handle);
  }
}

TEST_F(LinuxDirectoryE2eTest, ExplicitCredentialsBindWithoutATicketCache) {
  WithoutTicketCache noCache;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  LdapHandle own = OpenDc(kLdapPort);
  const int ownTicketCode = directory_.NegotiateBind(own, std::nullopt);
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  // Without a ticket the caller's own bind fails, and quietly.
  EXPECT_NE(ownTicketCode, 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");

  LdapHandle handle = OpenDc(kLdapPort);
  ASSERT_EQ(directory_.NegotiateBind(handle, Administrator(domain_.adminPassword)), 0)
      << directory_.ServerErrorText(handle).value_or("");
  SearchResult result = directory_.Search(
      handle, Subtree(domain_.baseDn, "(sAMAccountName=Administrator)", {"sAMAccountName"}));
  ASSERT_EQ(result.code, 0);
  ASSERT_EQ(result.entries.size(), 1u);
  EXPECT_EQ(result.entries[0].dn, "CN=Administrator,CN=Users," + domain_.baseDn);
}

TEST_F(LinuxDirectoryE2eTest, AWrongPasswordFailsWithTheServersText) {
  LdapHandle negotiate = OpenDc(kLdapPort);
  EXPECT_EQ(directory_.NegotiateBind(negotiate, Administrator("not-the-password")),
            kLdapInvalidCredentials);
  std::optional<std::string> kdcText = directory_.ServerErrorText(negotiate);
  ASSERT_TRUE(kdcText.has_value());
  EXPECT_NE(kdcText->find("Preauthentication failed"), std::string::npos) << *kdcText;

  // The LDAP server's own text comes through as well: Samba refuses a simple bind over plain
  // LDAP before it looks at the password.
  LdapHandle simple = OpenDc(kLdapPort);
  EXPECT_EQ(directory_.SimpleBind(simple, "CN=Administrator,CN=Users," + domain_.baseDn,
                                  std::string("not-the-password")),
            kLdapStrongAuthRequired);
  EXPECT_EQ(directory_.ServerErrorText(simple), "BindSimple: Transport encryption required.");
}

TEST_F(LinuxDirectoryE2eTest, SearchesReturnTextAndBinaryValues) {
  LdapHandle handle = BoundDc(kLdapPort);
  SearchResult root = SearchRootDse(handle);
  ASSERT_EQ(root.code, 0);
  ASSERT_EQ(root.entries.size(), 1u);
  EXPECT_EQ(root.entries[0].dn, "");
  EXPECT_EQ(root.entries[0].First("configurationNamingContext"),
            "CN=Configuration," + domain_.baseDn);

  SearchRequest domainObject;
  domainObject.base = domain_.baseDn;
  domainObject.attributes = {"objectSid"};
  SearchResult result = directory_.Search(handle, domainObject);
  ASSERT_EQ(result.code, 0);
  ASSERT_EQ(result.entries.size(), 1u);
  std::optional<std::string> sid = result.entries[0].First("objectSid");
  ASSERT_TRUE(sid.has_value());
  // S-1-5-21-a-b-c: revision 1, four sub-authorities, zero bytes included.
  ASSERT_EQ(sid->size(), 24u);
  EXPECT_EQ((*sid)[0], '\x01');
  EXPECT_EQ((*sid)[1], '\x04');
  EXPECT_EQ(sid->substr(2, 6), std::string("\0\0\0\0\0\x05", 6));

  SearchRequest missing;
  missing.base = "CN=No Such Object," + domain_.baseDn;
  EXPECT_EQ(directory_.Search(handle, missing).code, kLdapNoSuchObject);

  // A subtree search from the domain root meets references to other partitions; they are no
  // entries.
  SearchResult domains =
      directory_.Search(handle, Subtree(domain_.baseDn, "(objectClass=domain)", {"objectClass"}));
  ASSERT_EQ(domains.code, 0);
  ASSERT_EQ(domains.entries.size(), 1u);
  EXPECT_EQ(domains.entries[0].dn, domain_.baseDn);
}

TEST_F(LinuxDirectoryE2eTest, PagedSearchDeliversEveryEntryInSmallPages) {
  LdapHandle handle = BoundDc(kLdapPort);
  const SearchRequest request = Subtree("CN=Users," + domain_.baseDn, "(objectClass=*)", {"cn"});
  SearchResult whole = directory_.Search(handle, request);
  ASSERT_EQ(whole.code, 0);
  ASSERT_GT(whole.entries.size(), 4u);

  std::unique_ptr<PagedSearch> search = directory_.StartPagedSearch(handle, request, 2);
  ASSERT_NE(search, nullptr);
  std::vector<Entry> page;
  std::vector<std::string> pagedDns;
  int pages = 0;
  int code = 0;
  while ((code = search->NextPage(page)) == 0) {
    ++pages;
    EXPECT_LE(page.size(), 2u);
    for (const Entry& entry : page) pagedDns.push_back(entry.dn);
  }
  EXPECT_EQ(code, kLdapNoResultsReturned);
  EXPECT_TRUE(page.empty());
  EXPECT_GE(pages, static_cast<int>((whole.entries.size() + 1) / 2));
  std::vector<std::string> wholeDns;
  for (const Entry& entry : whole.entries) wholeDns.push_back(entry.dn);
  EXPECT_EQ(std::multiset<std::string>(pagedDns.begin(), pagedDns.end()),
            std::multiset<std::string>(wholeDns.begin(), wholeDns.end()));
  EXPECT_EQ(search->NextPage(page), kLdapNoResultsReturned);
}

TEST_F(LinuxDirectoryE2eTest, ForestDomainsOfTheTestForest) {
  ForestDomainsAnswer answer = EnumerateForestDomainsOver(directory_, domain_.dc);
  EXPECT_EQ(answer.status, 0);
  EXPECT_EQ(answer.dnsNames, std::vector<std::string>{domain_.domain});
}

// A closed port must fail in seconds; the bound only catches a connect that hangs.
TEST_F(LinuxDirectoryE2eTest, AnUnreachablePortFailsWithinSeconds) {
  const auto start = std::chrono::steady_clock::now();
  LdapHandle handle = OpenDc(1);
  EXPECT_EQ(directory_.NegotiateBind(handle, std::nullopt), kLdapServerDown);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(LinuxDirectory::kNetworkTimeoutSeconds + 5));
}

}  // namespace
}  // namespace nestwalk::platform
