#include "text/dn_names.h"

#include <gtest/gtest.h>

#include <string>

namespace nestwalk {
namespace {

TEST(DnToDomainNameTest, ConvertsDomainDnsAndMarksTheRest) {
  struct Case {
    std::string dn;
    std::string expected;
  };
  const std::string marker(kNotDomainDnMarker);
  const Case cases[] = {
      {"DC=corp,DC=example,DC=com", "corp.example.com"},
      {"dc=Sub,DC=Corp,dc=COM", "sub.corp.com"},
      {"DC=com", "com"},
      {"CN=Users,DC=corp,DC=com", marker},
      {"cn=x,dc=corp", marker},
      {"DC=corp,DC=com,Cn=x", marker},
      {"OU=Sales,DC=corp,DC=com", ",ou=sales.corp.com"},
      {"corp.com", ",corp.com"},
      {"", ","},
      {"DC=corp, DC=com", "corp, dc=com"},
      {"DC=,DC=com", "com"},  // an empty value adds no label
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DnToDomainName(c.dn), c.expected) << c.dn;
  }
}

TEST(DnComponentTest, PicksOneLowerCasedComponent) {
  struct Case {
    std::string dn;
    int index;
    std::string expected;
  };
  const std::string settings =
      "CN=NTDS Settings,CN=DC1,CN=Servers,CN=Hub,CN=Sites,CN=Configuration,DC=corp,DC=com";
  const Case cases[] = {
      {settings, 0, "cn=ntds settings"},
      {settings, 1, "cn=dc1"},
      {settings, 3, "cn=hub"},
      {settings, 7, "dc=com"},
      {settings, 8, ""},  // beyond the last component
      {settings, 1000, ""},
      {settings, -1, ""},
      {"a,,b", 1, ""},
      {"a,,b", 2, "b"},
      {"a,", 1, ""},
      {"", 0, ""},
      {"", 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DnComponent(c.dn, c.index), c.expected) << c.dn << " [" << c.index << "]";
  }
}

TEST(DomainOfDnTest, TakesTheLowerCasedDnFromItsFirstDc) {
  struct Case {
    const char* dn;
    const char* domain;
  };
  const Case cases[] = {
      {"cn=sales,ou=groups,dc=emea,dc=corp,dc=com", "dc=emea,dc=corp,dc=com"},
      {"CN=Sales,DC=Corp,DC=com", "dc=corp,dc=com"},
      {"DC=corp", "dc=corp"},
      {"CN=Sales,O=Corp", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DomainOfDn(c.dn), c.domain) << c.dn;
}

}  // namespace
}  // namespace nestwalk
