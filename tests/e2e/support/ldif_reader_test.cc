#include "support/ldif_reader.h"

#include <gtest/gtest.h>

namespace nestwalk::e2e {
namespace {

TEST(LdifReader, ReadsEntriesBase64FoldedLinesAndSkipsReferences) {
  const std::vector<LdifEntry> entries = ParseLdif(
      "dn: CN=Printers\\, Floor 2,DC=corp\n"
      "groupType: -2147483644\n"
      "member: CN=a,DC=corp\n"
      "member: CN=b,\n"
      " DC=corp\n"
      "\n"
      "# refldap://corp.nestwalk.test/CN=Configuration,DC=corp\n"
      "\n"
      "dn:: Q049R3LDtsOfZSDDhHJ6dGUsREM9Y29ycA==\n"
      "objectSid:: AQEAAAAAAAUgAAAA\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].dn, "CN=Printers\\, Floor 2,DC=corp");
  EXPECT_EQ(entries[0].First("GROUPTYPE"), "-2147483644");
  EXPECT_EQ(entries[0].All("member"), (std::vector<std::string>{"CN=a,DC=corp", "CN=b,DC=corp"}));
  EXPECT_EQ(entries[1].dn, "CN=Größe Ärzte,DC=corp");
  EXPECT_EQ(entries[1].First("objectSid"), std::string("\x01\x01\0\0\0\0\0\x05\x20\0\0\0", 12));
  EXPECT_EQ(entries[1].First("absent"), "");
}

TEST(LdifReader, EmptyAndReferenceOnlyOutputsHaveNoEntries) {
  EXPECT_TRUE(ParseLdif("").empty());
  EXPECT_TRUE(ParseLdif("# refldap://x/DC=a\n\n# refldap://x/DC=b\n").empty());
}

}  // namespace
}  // namespace nestwalk::e2e
