#include "membership/nested_expansion.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"

namespace nestwalk {
namespace {

using Forest = testing::ThreeDomainForest;

// A session as server selection leaves it for alice of emea: the DC dc2 (no GC) and the forest
// GC dc1 on its GC port.
class NestedExpansionTest : public ::testing::Test {
 protected:
  // With `debug` the session writes to the debug console, whose streams start empty here.
  void Start(bool otherIsGc, bool debug = false) {
    Forest::Build(forest_, otherIsGc);
    testing::CapturedConsole& captured = debug ? debug_ : captured_;
    session_.emplace(captured.console, forest_, WalkPace::kOneReadAtATime, ReadNeeds{}, "");
    ASSERT_TRUE(session_->Connect("EMEA"));
    captured.out.str("");
    captured.err.str("");
    dc_ = session_->servers().dcConnection;
    gc_ = session_->servers().gcConnection;
    searchesAtStart_ = forest_.searches().size();
  }

  void Expand() {
    groups_.AddGroup(Forest::kDomainUsers);
    ReadDirectMemberships(captured_.console, forest_, dc_, gc_, Forest::kAlice, groups_);
    NestedExpansion(*session_).Run(groups_);
  }

  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& [key, group] : groups_.entries()) {
      EXPECT_TRUE(group.processed) << key;
      keys.push_back(key);
    }
    return keys;
  }

  // How often `dn` was read through the forest GC and through the DC of `host`.
  struct Reads {
    int gc;
    int dc;
    friend bool operator==(const Reads&, const Reads&) = default;
  };
  Reads ReadsOf(const std::string& dn, const std::string& host) const {
    return {forest_.SearchCount(testing::kCorpDc1Host, 3268, dn),
            forest_.SearchCount(host, 389, dn)};
  }

  // The connections bound and still open.
  int OpenConnections() const {
    int open = 0;
    for (const fake::ConnectionRecord& connection : forest_.connections()) {
      if (connection.bound && connection.unbindCount == 0) ++open;
    }
    return open;
  }

  fake::FakeForest forest_;
  testing::CapturedConsole captured_;
  testing::CapturedConsole debug_{/*debug=*/true};
  std::optional<ForestSession> session_;
  GroupDetailsMap groups_;
  platform::LdapHandle dc_;
  platform::LdapHandle gc_;
  std::size_t searchesAtStart_ = 0;
};

const std::vector<std::string> kAllGroups = {
    "cn=all,ou=groups,dc=emea,dc=corp,dc=example,dc=com",
    "cn=dl-other,dc=other,dc=test",
    "cn=domain users,cn=users,dc=emea,dc=corp,dc=example,dc=com",
    "cn=staff,ou=groups,dc=emea,dc=corp,dc=example,dc=com",
    "cn=u-all,ou=groups,dc=corp,dc=example,dc=com",
    "cn=u-other,dc=other,dc=test",
    "cn=u-other2,dc=other,dc=test",
    "cn=zahn,ou=groups,dc=emea,dc=corp,dc=example,dc=com",
    "cn=\xc4rzte,ou=groups,dc=emea,dc=corp,dc=example,dc=com",
};

TEST_F(NestedExpansionTest, ADcThatIsAGcServesItsDomainAfterItsFirstGroup) {
  Start(/*otherIsGc=*/true);
  Expand();
  EXPECT_EQ(Keys(), kAllGroups);
  EXPECT_EQ(captured_.err.str(), "");
  struct Case {
    const char* dn;
    const char* host;
    Reads reads;
  };
  const Case cases[] = {
      {Forest::kStaff, Forest::kDc2, {1, 1}},  // emea has a DC but no GC entry: read twice
      {Forest::kUAll,
       testing::kCorpDc1Host,
       {1, 0}},                                  // the root's GC entry is the forest GC itself
      {Forest::kUOther, Forest::kDc3, {1, 1}},   // found dc3 on demand: read twice
      {Forest::kDlOther, Forest::kDc3, {0, 1}},  // later groups through dc3 alone
      {Forest::kUOther2, Forest::kDc3, {0, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadsOf(c.dn, c.host), c.reads) << c.dn;
  EXPECT_EQ(OpenConnections(), 3);
  const GroupReadServers other = session_->ReadServersOf("dc=other,dc=test");
  EXPECT_EQ(forest_.connection(other.dc).host, Forest::kDc3);
  EXPECT_EQ(other.domainGc, other.dc);
  // The cycle All <-> Staff: Staff keeps the spelling it was first found with.
  EXPECT_EQ(groups_.Find("cn=staff,ou=groups,dc=emea,dc=corp,dc=example,dc=com")->dn,
            Forest::kStaff);
  EXPECT_EQ(groups_.Find("cn=dl-other,dc=other,dc=test")->sAMAccountName, "DL-Other");
}

TEST_F(NestedExpansionTest, ADcThatIsNoGcIsAskedAfterTheForestGcForEveryGroup) {
  Start(/*otherIsGc=*/false);
  Expand();
  EXPECT_EQ(Keys(), kAllGroups);
  for (const char* dn : {Forest::kUOther, Forest::kDlOther, Forest::kUOther2}) {
    EXPECT_EQ(ReadsOf(dn, Forest::kDc3), (Reads{1, 1})) << dn;
  }
  // One location of a DC of other.test for its three groups.
  int located = 0;
  for (const fake::LocatorCall& call : forest_.locatorCalls()) {
    if (call.domainName == "other.test") ++located;
  }
  EXPECT_EQ(located, 1);
  EXPECT_FALSE(session_->ReadServersOf("dc=other,dc=test").domainGc.valid());
}

TEST_F(NestedExpansionTest, AnUnreachableDomainIsTriedAgainForEachOfItsGroups) {
  Start(/*otherIsGc=*/true);
  forest_.FailBind(Forest::kDc3, std::nullopt, platform::kLdapServerDown);
  Expand();
  std::vector<std::string> expected = kAllGroups;
  std::erase(expected, "cn=dl-other,dc=other,dc=test");  // only dc3 knows it
  EXPECT_EQ(Keys(), expected);
  const std::string err = captured_.err.str();
  const std::string failure = "ERROR: Can't locate DC for other.test\n";
  std::size_t first = err.find(failure);
  ASSERT_NE(first, std::string::npos) << err;
  std::size_t second = err.find(failure, first + failure.size());
  ASSERT_NE(second, std::string::npos) << err;
  EXPECT_EQ(err.find(failure, second + failure.size()), std::string::npos) << err;
  EXPECT_EQ(err.substr(err.size() - failure.size()), failure);
  EXPECT_FALSE(session_->ReadServersOf("dc=other,dc=test").dc.valid());
  EXPECT_EQ(OpenConnections(), 2);
}

TEST_F(NestedExpansionTest, AGroupWithoutADomainIsSkippedWithOneLine) {
  Start(/*otherIsGc=*/true);
  groups_.AddGroup("CN=Loose,O=Elsewhere");
  NestedExpansion(*session_).Run(groups_);
  EXPECT_EQ(captured_.err.str(), "ERROR: No domain component in CN=Loose,O=Elsewhere\n");
  EXPECT_TRUE(groups_.Find("cn=loose,o=elsewhere")->processed);
  EXPECT_EQ(forest_.searches().size(), searchesAtStart_);
}

// The DC lists the groups of alice's own domain, the GC the universal groups of every domain.
TEST_F(NestedExpansionTest, DirectMembershipsAreReadThroughTheDcThenTheGc) {
  Start(/*otherIsGc=*/true);
  const std::string emeaUniversal = "CN=U-Emea,OU=Groups," + std::string(Forest::kChild);
  const std::string rootUniversal = "CN=U-Root,OU=Groups," + std::string(Forest::kRoot);
  forest_.AddGroup(emeaUniversal, "U-Emea", "-2147483640", {Forest::kAlice});
  forest_.AddGroup(rootUniversal, "U-Root", "-2147483640", {Forest::kAlice});
  testing::CapturedConsole debug(/*debug=*/true);
  ReadDirectMemberships(debug.console, forest_, dc_, gc_, Forest::kAlice, groups_);
  const std::string read = "Enumerating [" + std::string(Forest::kAlice) +
                           "]\n1 entries returned\nsAMAccountName: alice\nGroupType: -1\n";
  EXPECT_EQ(debug.err.str(), "Getting direct memberships from default domain...\n" + read +
                                 "2 memberOf entries returned\nGroups:\n"
                                 "\t" +
                                 Forest::kStaff +
                                 " - Added\n"
                                 "\t" +
                                 emeaUniversal +
                                 " - Added\n"
                                 "Getting direct memberships from GC...\n" +
                                 read +
                                 "2 memberOf entries returned\nGroups:\n"
                                 "\t" +
                                 emeaUniversal +
                                 " - Duplicate\n"
                                 "\t" +
                                 rootUniversal + " - Added\n");
  EXPECT_EQ(groups_.size(), 3u);
}

// The debug trace of the phase, whole: the reads of each group in the order the servers are
// asked, one location of a DC for a new domain, and the group that a read adds going ahead of
// the larger pending keys.
TEST_F(NestedExpansionTest, DebugTraceOfEveryKindOfRead) {
  Start(/*otherIsGc=*/true, /*debug=*/true);
  for (const char* dn : {Forest::kZahn, Forest::kUOther2, Forest::kUOther}) groups_.AddGroup(dn);
  NestedExpansion(*session_).Run(groups_);

  // The reader's own trace of one read of `key`.
  auto read = [](const std::string& key, const std::string& name, const std::string& type,
                 bool stored, const std::string& memberOfLines, int memberOfCount) {
    return "Enumerating [" + key + "]\n1 entries returned\nsAMAccountName: " + name +
           "\nGroupType: " + type + "\n" +
           (stored ? "Group Details stored for " + key + "\n" : std::string()) +
           std::to_string(memberOfCount) + " memberOf entries returned\nGroups:\n" + memberOfLines;
  };
  const std::string uOther = "cn=u-other,dc=other,dc=test";
  const std::string dlOther = "cn=dl-other,dc=other,dc=test";
  const std::string uOther2 = "cn=u-other2,dc=other,dc=test";
  const std::string zahn = "cn=zahn,ou=groups,dc=emea,dc=corp,dc=example,dc=com";
  EXPECT_EQ(debug_.err.str(),
            "\n\nBase groups loaded, now go after nested groups\n\n"
            // A domain in neither map: the forest GC, then a DC located and bound for it.
            "Digging into " +
                uOther + "\nDomain of DN: dc=other,dc=test\nGet GC Data\n" +
                read(uOther, "U-Other", "-2147483640", true, "", 0) +
                "Didn't find domain in DCLIST MAP, looking for DC...\n"
                "Locating a DC for other.test\nDSGetDCName: Returned ok\n"
                "DC located: \\\\dc3.other.test\nDC: dc3.other.test\n"
                "LDAP_OPTION: Version 3\nLDAP_OPTION: No referrals\n"
                "LDAP_BIND: [dc3.other.test] Successful\nGet DC Data\n" +
                read(uOther, "U-Other", "-2147483640", false,
                     "\tCN=DL-Other,DC=other,DC=test - Added\n", 1) +
                // Found just now, it sorts before the pending u-other2; dc3, a GC, serves it alone.
                "Digging into " + dlOther +
                "\nDomain of DN: dc=other,dc=test\nGetting Data from GC of specific domain\n" +
                read(dlOther, "DL-Other", "-2147483644", true, "", 0) + "Digging into " + uOther2 +
                "\nDomain of DN: dc=other,dc=test\nGetting Data from GC of specific domain\n" +
                read(uOther2, "U-Other2", "8", true, "", 0) +
                // A domain with a DC but no GC entry: the forest GC, then that DC.
                "Digging into " + zahn +
                "\nDomain of DN: dc=emea,dc=corp,dc=example,dc=com\nGet GC Data\n" +
                read(zahn, "Zahn", "2", true, "", 0) + "Get DC Data\n" +
                read(zahn, "Zahn", "2", false, "", 0));
}

}  // namespace
}  // namespace nestwalk
