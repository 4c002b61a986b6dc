#include "platform/linux/ldap_url.h"

#include <gtest/gtest.h>
#include <ldap.h>

#include <optional>
#include <string>

namespace nestwalk::platform {
namespace {

struct UrlCase {
  std::optional<std::string> host;
  int port;
  bool ssl;
  std::optional<std::string> url;
};

TEST(LdapUrlTest, BuildsUrlsForHostPortAndScheme) {
  const UrlCase cases[] = {
      {"dc1.corp.example.com", 389, false, "ldap://dc1.corp.example.com:389"},
      {"dc1.corp.example.com", 3268, false, "ldap://dc1.corp.example.com:3268"},
      {"dc1.corp.example.com", 636, true, "ldaps://dc1.corp.example.com:636"},
      {"dc1.corp.example.com", 3269, true, "ldaps://dc1.corp.example.com:3269"},
      {"DC1", 389, false, "ldap://DC1:389"},
      {"127.0.0.1", 1389, false, "ldap://127.0.0.1:1389"},
      {"::1", 389, false, "ldap://[::1]:389"},
      {"fe80::1:2", 636, true, "ldaps://[fe80::1:2]:636"},
      {"[::1]", 3268, false, "ldap://[::1]:3268"},
      {"dc1", 0, false, "ldap://dc1"},
      {"dc1", -5, true, "ldaps://dc1"},
      {std::nullopt, 389, false, std::nullopt},
      {std::nullopt, 636, true, std::nullopt},
      {"", 389, false, std::nullopt},
      // Characters that would start a path, a query or a fragment stay inside the host.
      {"dc1/o=x?cn", 389, false, "ldap://dc1%2Fo%3Dx%3Fcn:389"},
      {"a b#c%d", 389, false, "ldap://a%20b%23c%25d:389"},
      {"dc1@evil", 389, false, "ldap://dc1%40evil:389"},
  };
  for (const UrlCase& c : cases) {
    EXPECT_EQ(BuildLdapUrl(c.host, c.port, c.ssl), c.url)
        << "host " << c.host.value_or("(none)") << " port " << c.port << " ssl " << c.ssl;
  }
}

// libldap reads every built URL back as the same host and port, with no DN, attributes or
// filter smuggled in through the host name.
TEST(LdapUrlTest, LibldapParsesTheHostBack) {
  const struct {
    std::string host;
    int port;
    std::string parsedHost;
  } cases[] = {
      {"dc1.corp.example.com", 3268, "dc1.corp.example.com"},
      {"::1", 389, "::1"},
      {"[fe80::1]", 636, "fe80::1"},
      {"dc1/o=x?cn?sub?(cn=*)", 389, "dc1/o=x?cn?sub?(cn=*)"},
      {"a b#c%d", 389, "a b#c%d"},
  };
  for (const auto& c : cases) {
    std::optional<std::string> url = BuildLdapUrl(c.host, c.port, false);
    ASSERT_TRUE(url.has_value());
    LDAPURLDesc* parsed = nullptr;
    ASSERT_EQ(ldap_url_parse(url->c_str(), &parsed), LDAP_URL_SUCCESS) << *url;
    EXPECT_EQ(std::string(parsed->lud_host ? parsed->lud_host : ""), c.parsedHost) << *url;
    EXPECT_EQ(parsed->lud_port, c.port) << *url;
    EXPECT_EQ(parsed->lud_dn, nullptr) << *url;
    EXPECT_EQ(parsed->lud_filter, nullptr) << *url;
    ldap_free_urldesc(parsed);
  }
}

}  // namespace
}  // namespace nestwalk::platform
