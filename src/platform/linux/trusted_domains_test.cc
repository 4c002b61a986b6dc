#include "platform/linux/trusted_domains.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake/fake_forest.h"

namespace nestwalk::platform {
namespace {

constexpr char kDomainDn[] = "DC=alpha,DC=test";
constexpr char kDc[] = "dc1.alpha.test";
constexpr char kSystem[] = "CN=System,DC=alpha,DC=test";

std::vector<Attribute> TrustAttributes(const std::string& partner, const std::string& direction,
                                       const std::string& type) {
  return {{"trustPartner", {partner}}, {"trustDirection", {direction}}, {"trustType", {type}}};
}

TEST(EnabledTrustPartnersTest, EnabledTrustsWithActiveDirectoryDomainsCount) {
  struct Case {
    const char* name;
    std::vector<Attribute> attributes;
    std::vector<std::string> partners;
  };
  const Case cases[] = {
      {"inbound", TrustAttributes("beta.test", "1", "2"), {"beta.test"}},
      {"outbound", TrustAttributes("beta.test", "2", "2"), {"beta.test"}},
      {"both ways", TrustAttributes("beta.test", "3", "2"), {"beta.test"}},
      {"disabled", TrustAttributes("beta.test", "0", "2"), {}},
      {"downlevel: the partner is a flat name", TrustAttributes("BETA", "3", "1"), {}},
      {"a Kerberos realm", TrustAttributes("BETA.TEST", "3", "3"), {}},
      {"empty partner", TrustAttributes("", "3", "2"), {}},
      {"direction no number", TrustAttributes("beta.test", "3x", "2"), {}},
      {"no partner", {{"trustDirection", {"3"}}, {"trustType", {"2"}}}, {}},
      {"no direction", {{"trustPartner", {"beta.test"}}, {"trustType", {"2"}}}, {}},
      {"no type", {{"trustPartner", {"beta.test"}}, {"trustDirection", {"3"}}}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EnabledTrustPartners({Entry{"CN=t,CN=System,DC=alpha,DC=test", c.attributes}}),
              c.partners)
        << c.name;
  }
  const std::vector<Entry> two = {{"CN=b", TrustAttributes("beta.test", "1", "2")},
                                  {"CN=g", TrustAttributes("gamma.test", "2", "2")}};
  EXPECT_EQ(EnabledTrustPartners(two), (std::vector<std::string>{"beta.test", "gamma.test"}));
}

void AddTrust(fake::FakeForest& forest, const std::string& flatName, const std::string& partner,
              const std::string& direction) {
  std::vector<Attribute> attributes = TrustAttributes(partner, direction, "2");
  attributes.push_back({"objectClass", {"top", "leaf", "trustedDomain"}});
  attributes.push_back({"flatName", {flatName}});
  forest.AddEntry("CN=" + partner + "," + kSystem, std::move(attributes));
}

void BuildDomain(fake::FakeForest& forest) {
  forest.AddDomain({kDomainDn, "ALPHA", "S-1-5-21-1-2-3"});
  forest.AddServer({kDc, kDomainDn, "Default-First-Site-Name", false});
  AddTrust(forest, "BETA", "beta.test", "3");
  AddTrust(forest, "GAMMA", "gamma.test", "0");
}

void ExpectAllClosed(const fake::FakeForest& forest, const std::string& label) {
  for (const fake::ConnectionRecord& record : forest.connections()) {
    EXPECT_EQ(record.unbindCount, 1) << label;
  }
  EXPECT_EQ(forest.HandleMisuseCount(), 0) << label;
}

TEST(LookUpTrustPartnersTest, AsksTheDcWithTheCallersTicketForTheTrustsOfThatName) {
  fake::FakeForest forest;
  BuildDomain(forest);
  EXPECT_EQ(LookUpTrustPartners(forest, kDc, "beta"), std::vector<std::string>{"beta.test"});
  ASSERT_EQ(forest.connections().size(), 1u);
  const fake::ConnectionRecord& connection = forest.connections().front();
  EXPECT_EQ(connection.host, kDc);
  EXPECT_EQ(connection.port, 389);
  EXPECT_EQ(connection.options, (std::vector<std::string>{"version=3", "referrals=0"}));
  EXPECT_TRUE(connection.bound);
  EXPECT_FALSE(connection.credentials.has_value());
  EXPECT_EQ(forest.SearchCount(kDc, 389, kSystem), 1);
  ExpectAllClosed(forest, "success");

  struct Case {
    const char* name;
    std::string flatName;
  };
  const Case empty[] = {
      {"a disabled trust", "gamma"},
      {"no trust of that name", "delta"},
      {"the name is a filter value, not a pattern", "*"},
  };
  for (const Case& c : empty) {
    EXPECT_TRUE(LookUpTrustPartners(forest, kDc, c.flatName).empty()) << c.name;
  }
  ExpectAllClosed(forest, "no partners");
}

TEST(LookUpTrustPartnersTest, EveryFailureGivesNoPartners) {
  const struct {
    const char* name;
    std::function<void(fake::FakeForest&)> arrange;
  } cases[] = {
      {"open fails", [](fake::FakeForest& f) { f.FailOpen(kDc, -11); }},
      {"bind refused", [](fake::FakeForest& f) { f.FailBind(kDc, 389, 49, "no ticket"); }},
      {"RootDSE search fails", [](fake::FakeForest& f) { f.FailSearch(kDc, 389, "", 1); }},
      {"RootDSE without the domain",
       [](fake::FakeForest& f) {
         f.SetRootDse(kDc, {{"dnsHostName", {kDc}}});
       }},
      {"trust search fails", [](fake::FakeForest& f) { f.FailSearch(kDc, 389, kSystem, 50); }},
  };
  for (const auto& c : cases) {
    fake::FakeForest forest;
    BuildDomain(forest);
    c.arrange(forest);
    EXPECT_TRUE(LookUpTrustPartners(forest, kDc, "BETA").empty()) << c.name;
    ExpectAllClosed(forest, c.name);
  }
}

}  // namespace
}  // namespace nestwalk::platform
