#include "support/random_forest.h"

#include <random>

#include "platform/directory.h"
#include "support/corp_forest.h"

namespace nestwalk::testing {

namespace {

constexpr char kAlice[] = "CN=Alice,CN=Users,DC=corp,DC=example,DC=com";
const char* const kGroupTypes[] = {"-2147483646", "-2147483644", "-2147483640", "2", "4", "8"};

struct RandomDomain {
  std::string dn;
  std::string flatName;
};

}  // namespace

std::vector<std::string> BuildRandomForest(fake::FakeForest& forest, unsigned seed) {
  std::mt19937 random(seed);
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  auto chance = [&below](int percent) { return below(100) < percent; };

  AddCorpWithDc1(forest, /*globalCatalog=*/true);
  std::vector<RandomDomain> domains{{kCorpDomainDn, "CORP"}};
  const int further = 1 + below(4);
  for (int d = 1; d <= further; ++d) {
    const std::string label = "d" + std::to_string(d);
    const std::string dn = chance(50) ? "DC=" + label + ",DC=corp,DC=example,DC=com"
                                      : "DC=" + label + ",DC=test";
    forest.AddDomain({.dn = dn, .flatName = "D" + std::to_string(d),
                      .sid = "S-1-5-21-9-9-" + std::to_string(d)});
    domains.push_back({dn, "D" + std::to_string(d)});
    if (chance(15)) continue;  // no DC: the locator finds none
    const std::string host = "dc." + label + (dn.ends_with("test") ? ".test" : ".corp.example.com");
    forest.AddServer({.host = host, .domainDn = dn, .site = kDefaultSite,
                      .globalCatalog = chance(50)});
    if (chance(15)) forest.FailBind(host, std::nullopt, platform::kLdapInvalidCredentials);
  }

  forest.AddUser(kAlice, "alice", "513");
  forest.AddGroup("CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com", "Domain Users",
                  "-2147483646", {}, 513);
  const int groups = 3 + below(30);
  std::vector<std::string> dns;
  for (int g = 0; g < groups; ++g) {
    const RandomDomain& domain = domains[below(static_cast<int>(domains.size()))];
    dns.push_back("CN=G" + std::to_string(g) + (chance(30) ? ",OU=Deep" : "") + "," + domain.dn);
  }
  for (int g = 0; g < groups; ++g) {
    std::vector<std::string> members;
    if (g < 3 || chance(15)) members.push_back(kAlice);
    // A chain upwards, and members from anywhere: diamonds and cycles.
    if (g > 0 && chance(60)) members.push_back(dns[g - 1]);
    for (int extra = below(3); extra > 0; --extra) members.push_back(dns[below(groups)]);
    forest.AddGroup(dns[g], "G" + std::to_string(g), kGroupTypes[below(6)], members);
  }
  for (int g = 0; g < groups; ++g) {
    if (chance(5)) {
      // Its own memberOf: a group of no known domain and one that is not there.
      forest.AddValue(dns[g], "memberOf", "CN=Far,DC=nowhere,DC=example");
      forest.AddValue(dns[g], "memberOf", "cn=Missing," + domains[below(static_cast<int>(domains.size()))].dn);
    }
    if (chance(6)) {
      const int code = chance(50) ? platform::kLdapTimeout : platform::kLdapNoSuchObject;
      forest.FailSearch(chance(50) ? kCorpDc1Host : "dc.d1.test", std::nullopt, dns[g], code);
    }
  }
  if (chance(40)) forest.SetMaxValueRange(2 + below(3));

  std::vector<std::string> args{"-u", "CORP\\alice"};
  if (chance(20)) args.push_back("-np");
  return args;
}

}  // namespace nestwalk::testing
