#include "platform/windows/windows_directory.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/windows/ldap_result_codes.h"

namespace nestwalk::platform {
namespace {

// The run tells a lost server and a stale handle apart by their codes, whatever wldap32 numbers
// them: these go through the library itself.
TEST(WindowsDirectory, AnUnreachableServerIsAServerDown) {
  WindowsDirectory directory;
  // Nothing listens on port 1 of the loopback: the connection is refused at once.
  const OpenResult opened = directory.Open(std::string("127.0.0.1"), 1, false);
  ASSERT_TRUE(opened.handle.valid());
  EXPECT_EQ(directory.NegotiateBind(opened.handle, std::nullopt), kLdapServerDown);
  EXPECT_EQ(directory.SimpleBind(opened.handle, std::nullopt, std::nullopt), kLdapServerDown);
  EXPECT_EQ(directory.BindFailureReason(opened.handle), std::nullopt);
  EXPECT_FALSE(directory.ErrorText(kLdapServerDown).empty());
  directory.Unbind(opened.handle);
}

TEST(WindowsDirectory, HandlesItDoesNotKnowAreRefusedWithoutTouchingTheLibrary) {
  WindowsDirectory directory;
  EXPECT_EQ(directory.Open(std::string("127.0.0.1"), 65536, false).error, kLdapParamError);
  const LdapHandle stale(42);
  EXPECT_EQ(directory.SetOption(stale, LdapOption::kProtocolVersion, 3), kLdapParamError);
  EXPECT_EQ(directory.NegotiateBind(stale, std::nullopt), kLdapParamError);
  EXPECT_EQ(directory.Search(stale, SearchRequest{}).code, kLdapParamError);
  EXPECT_EQ(directory.StartPagedSearch(stale, SearchRequest{}, kPageSize), nullptr);
  EXPECT_EQ(directory.ServerErrorText(stale), std::nullopt);
  directory.Unbind(stale);
}

TEST(WindowsDirectory, ASearchThatCannotBeSentIsAnsweredAtTheNextWait) {
  WindowsDirectory directory;
  EXPECT_TRUE(directory.AwaitAnswers(std::chrono::milliseconds(0)).empty());
  const int id = directory.SendSearch(LdapHandle(7), SearchRequest{});
  EXPECT_GT(id, 0);
  const std::vector<SearchAnswer> answers = directory.AwaitAnswers(std::chrono::milliseconds(0));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].id, id);
  EXPECT_EQ(answers[0].result.code, kLdapParamError);
  EXPECT_TRUE(directory.AwaitAnswers(std::chrono::milliseconds(0)).empty());
}

TEST(WindowsDirectory, SetsTheOptionsTheProgramUses) {
  WindowsDirectory directory;
  const OpenResult opened = directory.Open(std::string("127.0.0.1"), 389, false);
  ASSERT_TRUE(opened.handle.valid());
  EXPECT_EQ(directory.SetOption(opened.handle, LdapOption::kProtocolVersion, 3), kLdapSuccess);
  EXPECT_EQ(directory.SetOption(opened.handle, LdapOption::kReferrals, 0), kLdapSuccess);
  directory.Unbind(opened.handle);
}

}  // namespace
}  // namespace nestwalk::platform
