#include "membership/primary_group.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "membership/membership_fixture.h"
#include "platform/sid.h"

namespace nestwalk {
namespace {

const std::string kUsers = "CN=Domain Users,CN=Users,DC=corp,DC=example,DC=com";

class GetPrimaryGroupDnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::AddCorpWithDc1(forest_, true);
    forest_.AddGroup(kUsers, "Domain Users", "-2147483646", {}, 513);
    connection_ = testing::BindTo(forest_, testing::kCorpDc1Host);
  }

  struct Outcome {
    std::string dn;
    std::string err;
  };
  Outcome Resolve(const std::string& primaryGroupID, bool debug = false) {
    testing::CapturedConsole captured(debug);
    std::string dn = GetPrimaryGroupDN(captured.console, forest_, connection_,
                                       testing::kCorpDomainDn, primaryGroupID);
    EXPECT_EQ(captured.out.str(), "");
    return {dn, captured.err.str()};
  }

  fake::FakeForest forest_;
  platform::LdapHandle connection_;
};

TEST_F(GetPrimaryGroupDnTest, DomainSidPlusRidNamesTheGroup) {
  // S-1-5-21-1-2-3-513: revision 1, five sub-authorities, authority 5; 28 bytes.
  const std::string escaped =
      "\\01\\05\\00\\00\\00\\00\\00\\05\\15\\00\\00\\00\\01\\00\\00\\00\\02\\00\\00\\00"
      "\\03\\00\\00\\00\\01\\02\\00\\00";
  const std::string filter = "(&(objectCategory=group)(objectSid=" + escaped + "))";
  Outcome outcome = Resolve("513", /*debug=*/true);
  EXPECT_EQ(outcome.dn, kUsers);
  EXPECT_EQ(outcome.err,
            "GetPrimaryGroupDN...\n"
            "1 entries returned\n"
            "Domain SID: S-1-5-21-1-2-3\n"
            "Primary Group SID: S-1-5-21-1-2-3-513\n"
            "Primary Group Sid converted to SID structure\n"
            "Filter: " +
                filter +
                "\n"
                "1 entries returned\n"
                "Primary group: " +
                kUsers + "\n");
  ASSERT_FALSE(forest_.searches().empty());
  const platform::SearchRequest& search = forest_.searches().back().request;
  EXPECT_EQ(search.filter, filter);
  EXPECT_EQ(search.scope, platform::SearchScope::kSubtree);
  EXPECT_TRUE(search.attributesOnly);
  EXPECT_EQ(platform::SidFromText("S-1-5-21-1-2-3-513")->size(), 28u);
}

struct MissingPieceCase {
  const char* name;
  std::vector<platform::Attribute> domainObject;  // empty: the domain object as built
  std::string primaryGroupID;
  std::string err;
};

// Names the case in test names and failures (the default prints the object's bytes, padding
// included).
void PrintTo(const MissingPieceCase& c, std::ostream* os) { *os << c.name; }

class GetPrimaryGroupDnMissingTest : public GetPrimaryGroupDnTest,
                                     public ::testing::WithParamInterface<MissingPieceCase> {};

TEST_P(GetPrimaryGroupDnMissingTest, GivesOneLineAndAnEmptyDn) {
  const MissingPieceCase& c = GetParam();
  if (!c.domainObject.empty()) forest_.AddEntry(testing::kCorpDomainDn, c.domainObject);
  Outcome outcome = Resolve(c.primaryGroupID);
  EXPECT_EQ(outcome.dn, "");
  EXPECT_EQ(outcome.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMissingPiece, GetPrimaryGroupDnMissingTest,
    ::testing::Values(
        // The domain object read asks for (objectCategory=*).
        MissingPieceCase{"no domain object",
                         {{"objectClass", {"domainDNS"}}},
                         "513",
                         "ERROR: Couldn't find domain object DC=corp,DC=example,DC=com\n"},
        MissingPieceCase{"no objectSid",
                         {{"objectCategory", {"domainDNS"}}},
                         "513",
                         "ERROR: Domain object DC=corp,DC=example,DC=com has no objectSid\n"},
        MissingPieceCase{
            "an objectSid that is no SID",
            {{"objectCategory", {"domainDNS"}}, {"objectSid", {std::string("\x01\x05", 2)}}},
            "513",
            "ERROR: Domain object DC=corp,DC=example,DC=com has an invalid objectSid\n"},
        MissingPieceCase{
            "no primaryGroupID",
            {},
            "",
            "ConvertStringSidToSid: Couldn't convert sid S-1-5-21-1-2-3-, error 1337\n"},
        MissingPieceCase{"no group with that SID",
                         {},
                         "1234",
                         "ERROR: Couldn't find primary group with SID S-1-5-21-1-2-3-1234\n"}));

TEST_F(GetPrimaryGroupDnTest, AFailedDomainReadWritesTheSearchFailureLines) {
  forest_.FailSearch(testing::kCorpDc1Host, std::nullopt, testing::kCorpDomainDn,
                     platform::kLdapServerDown);
  Outcome outcome = Resolve("513");
  EXPECT_EQ(outcome.dn, "");
  EXPECT_EQ(outcome.err, "LDAP_SEARCH_S: 0xffffffff\nLDAP_SEARCH_S: Can't contact LDAP server\n\n");
}

}  // namespace
}  // namespace nestwalk
