// Support for the membership tests and the benchmarks: a fake forest of three domains, and a
// bound connection to a server of a fake forest.
#ifndef NESTWALK_MEMBERSHIP_MEMBERSHIP_FIXTURE_H_
#define NESTWALK_MEMBERSHIP_MEMBERSHIP_FIXTURE_H_

#include <string>

#include "platform/fake/fake_forest.h"
#include "support/captured_console.h"
#include "support/corp_forest.h"

namespace nestwalk::testing {

// A forest of three domains: the root corp.example.com (DC dc1, a GC) with the universal groups,
// its child emea.corp.example.com (DC dc2, no GC) with the global groups and the account alice,
// and the tree other.test (DC dc3, a GC when `otherIsGc`) with universal and domain-local
// groups. Memberships, upwards from alice:
//   alice -> Staff (emea global); her primary group is Domain Users (RID 513)
//   Staff -> All, Zahn, Aerzte (emea global; Aerzte spelt with the byte 0xC4),
//            U-All (root universal), U-Other and U-Other2 (other.test universal)
//   All -> Staff (a cycle; All's own memberOf spells Staff in other letter case)
//   U-Other -> DL-Other (other.test domain local)
struct ThreeDomainForest {
  static constexpr const char* kRoot = kCorpDomainDn;
  static constexpr char kChild[] = "DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kOther[] = "DC=other,DC=test";
  static constexpr char kDc2[] = "dc2.emea.corp.example.com";
  static constexpr char kDc3[] = "dc3.other.test";
  static constexpr char kAlice[] = "CN=Alice,OU=Staff,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kDomainUsers[] =
      "CN=Domain Users,CN=Users,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kStaff[] = "CN=Staff,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kAll[] = "CN=All,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kZahn[] = "CN=Zahn,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kAerzte[] = "CN=\xC4rzte,OU=Groups,DC=emea,DC=corp,DC=example,DC=com";
  static constexpr char kUAll[] = "CN=U-All,OU=Groups,DC=corp,DC=example,DC=com";
  static constexpr char kUOther[] = "CN=U-Other,DC=other,DC=test";
  static constexpr char kUOther2[] = "CN=U-Other2,DC=other,DC=test";
  static constexpr char kDlOther[] = "CN=DL-Other,DC=other,DC=test";

  static void Build(fake::FakeForest& forest, bool otherIsGc) {
    AddCorpWithDc1(forest, /*globalCatalog=*/true);
    forest.AddDomain({.dn = kChild, .flatName = "EMEA", .sid = "S-1-5-21-4-5-6"});
    forest.AddDomain({.dn = kOther, .flatName = "OTHER", .sid = "S-1-5-21-7-8-9"});
    forest.AddServer(
        {.host = kDc2, .domainDn = kChild, .site = kDefaultSite, .globalCatalog = false});
    forest.AddServer(
        {.host = kDc3, .domainDn = kOther, .site = kDefaultSite, .globalCatalog = otherIsGc});
    forest.AddUser(kAlice, "alice", "513");
    // A primary group lists no members: the account names it by primaryGroupID only.
    forest.AddGroup(kDomainUsers, "Domain Users", "-2147483646", {}, 513);
    forest.AddGroup(kStaff, "Staff", "-2147483646", {kAlice, kAll});
    forest.AddGroup(kAll, "All", "-2147483646", {kStaff});
    forest.AddValue(kAll, "memberOf", "cn=STAFF,ou=groups,DC=emea,DC=corp,DC=example,DC=com");
    forest.AddGroup(kZahn, "Zahn", "2", {kStaff});
    forest.AddGroup(kAerzte, "\xC4rzte", "2", {kStaff});
    forest.AddGroup(kUAll, "U-All", "-2147483640", {kStaff});
    forest.AddGroup(kUOther, "U-Other", "-2147483640", {kStaff});
    forest.AddGroup(kUOther2, "U-Other2", "8", {kStaff});
    forest.AddGroup(kDlOther, "DL-Other", "-2147483644", {kUOther});
  }
};

// A bound connection to `host` on `port`.
inline platform::LdapHandle BindTo(fake::FakeForest& forest, const std::string& host,
                                   int port = 389) {
  platform::LdapHandle handle = forest.Open(host, port, false).handle;
  forest.NegotiateBind(handle, std::nullopt);
  return handle;
}

}  // namespace nestwalk::testing

#endif  // NESTWALK_MEMBERSHIP_MEMBERSHIP_FIXTURE_H_
