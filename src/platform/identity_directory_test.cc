#include "platform/identity_directory.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_forest.h"

namespace nestwalk::platform {
namespace {

std::optional<ExplicitCredentials> BindAndRecord(fake::FakeForest& forest, Directory& directory,
                                                 const std::optional<ExplicitCredentials>& given) {
  const OpenResult opened = directory.Open(std::string("dc1.corp.example.com"), 389, false);
  directory.NegotiateBind(opened.handle, given);
  return forest.connections().back().credentials;
}

// A bind that names its own credentials keeps them; one that names none takes the identity
// once one is in use, and the caller's own credentials before.
TEST(IdentityDirectory, BindsWithoutCredentialsAsTheIdentityInUse) {
  fake::FakeForest forest;
  forest.AddDomain({"DC=corp,DC=example,DC=com", "CORP", "S-1-5-21-1-2-3"});
  forest.AddServer({"dc1.corp.example.com", "DC=corp,DC=example,DC=com", "Site", false});
  IdentityDirectory directory(forest);
  const ExplicitCredentials own{"svc", "CORP", "own"};
  const ExplicitCredentials admin{"admin", "CORP", "S3cret!"};

  EXPECT_FALSE(BindAndRecord(forest, directory, std::nullopt).has_value());
  directory.Use(admin);
  const auto taken = BindAndRecord(forest, directory, std::nullopt);
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(taken->user, "admin");
  EXPECT_EQ(taken->domain, "CORP");
  EXPECT_EQ(taken->password, "S3cret!");
  const auto kept = BindAndRecord(forest, directory, own);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->user, "svc");
  EXPECT_EQ(kept->password, "own");
}

}  // namespace
}  // namespace nestwalk::platform
