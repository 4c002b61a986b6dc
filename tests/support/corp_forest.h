// The smallest fake forest: the root domain corp.example.com with its DC dc1.
#ifndef NESTWALK_TESTS_SUPPORT_CORP_FOREST_H_
#define NESTWALK_TESTS_SUPPORT_CORP_FOREST_H_

#include "platform/fake/fake_forest.h"

namespace nestwalk::testing {

inline constexpr char kCorpDomainDn[] = "DC=corp,DC=example,DC=com";
inline constexpr char kCorpDc1Host[] = "dc1.corp.example.com";
inline constexpr char kDefaultSite[] = "Default-First-Site-Name";
inline constexpr char kCorpSid[] = "S-1-5-21-1-2-3";

// Adds corp (flat name CORP) and dc1 in the default site, a GC when `globalCatalog`.
inline void AddCorpWithDc1(fake::FakeForest& forest, bool globalCatalog) {
  forest.AddDomain({.dn = kCorpDomainDn, .flatName = "CORP", .sid = kCorpSid});
  forest.AddServer({.host = kCorpDc1Host,
                    .domainDn = kCorpDomainDn,
                    .site = kDefaultSite,
                    .globalCatalog = globalCatalog});
}

}  // namespace nestwalk::testing

#endif  // NESTWALK_TESTS_SUPPORT_CORP_FOREST_H_
