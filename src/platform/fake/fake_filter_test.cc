#include "platform/fake/fake_filter.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/filter_escape.h"
#include "platform/sid.h"

namespace nestwalk::fake {
namespace {

const std::string kSid = *platform::SidFromText("S-1-5-21-1-2-3-513");

const platform::Entry kGroup{"CN=Domain Users,CN=Users,DC=corp,DC=com",
                             {{"objectCategory", {"group"}},
                              {"sAMAccountName", {"Domain Users"}},
                              {"groupType", {"-2147483646"}},
                              {"description", {"All (domain) users*"}},
                              {"objectSid", {kSid}},
                              {"member", {"CN=Alice,DC=corp,DC=com", "CN=Bob,DC=corp,DC=com"}}}};

TEST(FakeFilterTest, EvaluatesEveryConstructAgainstAnEntry) {
  struct Case {
    std::string filter;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"(objectCategory=group)", true},
      {"(OBJECTCATEGORY=GROUP)", true},
      {"(objectCategory=person)", false},
      {"objectCategory=group", true},
      {"", true},
      {"(objectClass=*)", true},  // every object has one
      {"(member=*)", true},
      {"(mail=*)", false},
      {"(&(objectCategory=group)(sAMAccountName=domain users))", true},
      {"(&(objectCategory=group)(sAMAccountName=guests))", false},
      {"(&)", true},
      {"(|(sAMAccountName=guests)(member=cn=bob,dc=corp,dc=com))", true},
      {"(|(sAMAccountName=guests)(member=cn=carol,dc=corp,dc=com))", false},
      {"(!(objectCategory=person))", true},
      {"(!(objectCategory=group))", false},
      {"(&(objectCategory=group)(!(|(cn=x)(member=CN=Alice,DC=corp,DC=com))))", false},
      {"(sAMAccountName=Domain*)", true},
      {"(sAMAccountName=*users)", true},
      {"(sAMAccountName=D*n*U*s)", true},
      {"(sAMAccountName=*main*)", true},
      {"(sAMAccountName=*Users*Domain*)", false},
      {"(sAMAccountName=Domain*Domain)", false},  // pieces may not overlap
      {"(description=All \\28domain\\29 users\\2a)", true},
      {"(description=All (domain) users\\2a)", false},  // unescaped parentheses
      {"(description=*\\2a)", true},
      {"(groupType:1.2.840.113556.1.4.803:=2147483648)", true},
      {"(groupType:1.2.840.113556.1.4.803:=2)", true},
      {"(groupType:1.2.840.113556.1.4.803:=8)", false},
      {"(groupType:1.2.840.113556.1.4.803:=-2147483646)", true},
      {"(sAMAccountName:1.2.840.113556.1.4.803:=1)", false},  // no number
      {"(objectSid=" + platform::EscapeFilterBytes(kSid) + ")", true},
      {"(objectSid=" + platform::EscapeFilterBytes(*platform::SidFromText("S-1-5-21-1-2-3-512")) +
           ")",
       false},
  };
  for (const Case& c : cases) {
    std::optional<Filter> filter = ParseFilter(c.filter);
    ASSERT_TRUE(filter.has_value() || !c.matches) << c.filter;
    EXPECT_EQ(filter && Matches(*filter, kGroup), c.matches) << c.filter;
  }
}

TEST(FakeFilterTest, ObjectSidComparesAsBytesAndOtherValuesIgnoringCase) {
  // A SID whose bytes differ from kSid only in ASCII letter case must not match.
  std::string upper = kSid;
  std::string lower = kSid;
  upper[8] = 'A';
  lower[8] = 'a';
  const platform::Entry entry{"CN=X", {{"objectSid", {upper}}, {"cn", {upper}}}};
  EXPECT_FALSE(
      Matches(*ParseFilter("(objectSid=" + platform::EscapeFilterBytes(lower) + ")"), entry));
  EXPECT_TRUE(Matches(*ParseFilter("(cn=" + platform::EscapeFilterBytes(lower) + ")"), entry));
}

TEST(FakeFilterTest, RejectsTextsOutsideTheGrammar) {
  const char* const cases[] = {
      "(",
      "()",
      "(cn=x",
      "(cn=x))",
      "((cn=x))",
      "(!(cn=x)(cn=y))",
      "(!)",
      "(=x)",
      "(cn)",
      "(cn=\\2)",
      "(cn=\\zz)",
      "(cn=a**b)",
      "(cn~=x)",
      "(cn>=x)",
      "(cn<=x)",
      "(cn:1.2.3:=x)",
      "(cn:dn:1.2.840.113556.1.4.803:=1)",
      "(:1.2.840.113556.1.4.803:=1)",
      "(&(cn=x)",
      "(&(cn=x)cn=y)",
  };
  for (const char* text : cases) {
    EXPECT_FALSE(ParseFilter(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace nestwalk::fake
