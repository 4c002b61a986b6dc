#include "platform/linux/principal_name.h"

#include <gtest/gtest.h>

namespace nestwalk::platform {
namespace {

TEST(PrincipalNameTest, SplitsNameAndRealm) {
  struct Case {
    std::string_view text;
    std::optional<std::string> name;  // nullopt: rejected
    std::string realm;
  };
  const Case cases[] = {
      {"alice@CORP.NESTWALK.TEST", "alice", "CORP.NESTWALK.TEST"},
      {"Administrator@CORP", "Administrator", "CORP"},
      {"PC1$@CORP.NESTWALK.TEST", "PC1$", "CORP.NESTWALK.TEST"},
      {"host/pc1.corp.test@CORP.TEST", "host", "CORP.TEST"},
      {"a\\@b@REALM", "a@b", "REALM"},
      {"a\\/b/c@REALM", "a/b", "REALM"},
      {"tab\\tname@R", "tab\tname", "R"},
      {"back\\\\slash@R", "back\\slash", "R"},
      {"user@REALM@ODD", "user", "REALM@ODD"},
      {"alice", std::nullopt, ""},
      {"alice@", std::nullopt, ""},
      {"@REALM", std::nullopt, ""},
      {"/x@REALM", std::nullopt, ""},
      {"alice@REALM\\", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const std::optional<PrincipalParts> parts = SplitPrincipalName(c.text);
    if (!c.name) {
      EXPECT_FALSE(parts) << c.text;
      continue;
    }
    ASSERT_TRUE(parts) << c.text;
    EXPECT_EQ(parts->name, *c.name) << c.text;
    EXPECT_EQ(parts->realm, c.realm) << c.text;
  }
}

}  // namespace
}  // namespace nestwalk::platform
