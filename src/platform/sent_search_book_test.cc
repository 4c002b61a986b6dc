#include "platform/sent_search_book.h"

#include <gtest/gtest.h>

#include <chrono>

namespace nestwalk::platform {
namespace {

// A read sent ahead must be answered exactly once, by its own id: late answers of searches that
// timed out or were dropped must not reach the walk.
TEST(SentSearchBook, AnswersEachSearchOnceByItsId) {
  SentSearchBook book(std::chrono::seconds(60));
  const LdapHandle first(1);
  const LdapHandle second(2);
  const int a = book.Sent(first, 7);
  const int b = book.Sent(first, 3);
  const int c = book.Sent(second, 7);
  const int unsent = book.Unsent(second, kLdapServerDown);
  EXPECT_EQ(book.Busy(), (std::vector<LdapHandle>{first, second}));
  EXPECT_EQ(book.MessagesOf(first), (std::vector<SentSearchBook::Message>{3, 7}));

  std::vector<SearchAnswer> answers;
  EXPECT_TRUE(book.Answer(first, 7, SearchResult{kLdapSuccess, {Entry{"CN=x", {}}}}, answers));
  EXPECT_FALSE(book.Answer(first, 7, SearchResult{}, answers));  // once only
  book.FailAll(second, kLdapServerDown, answers);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].id, a);
  EXPECT_EQ(answers[0].result.entries.size(), 1u);
  EXPECT_EQ(answers[1].id, c);
  EXPECT_EQ(answers[1].result.code, kLdapServerDown);

  const std::vector<SearchAnswer> ready = book.TakeReady();
  ASSERT_EQ(ready.size(), 1u);
  EXPECT_EQ(ready[0].id, unsent);
  EXPECT_TRUE(book.TakeReady().empty());

  book.Drop(first);
  EXPECT_FALSE(book.Answer(first, 3, SearchResult{}, answers));
  EXPECT_TRUE(book.Busy().empty());
  EXPECT_GT(b, a);
}

TEST(SentSearchBook, ASearchPastItsDeadlineIsAnsweredWithATimeoutForTheLibraryToAbandon) {
  SentSearchBook book(std::chrono::seconds(0));
  const LdapHandle connection(4);
  const int id = book.Sent(connection, 11);
  book.Unsent(connection, kLdapServerDown);
  std::vector<SearchAnswer> answers;
  const auto overdue = book.ExpireOverdue(answers);
  ASSERT_EQ(overdue.size(), 1u);
  EXPECT_EQ(overdue[0].first, connection);
  EXPECT_EQ(overdue[0].second, 11);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].id, id);
  EXPECT_EQ(answers[0].result.code, kLdapTimeout);
  EXPECT_FALSE(book.Answer(connection, 11, SearchResult{}, answers));
  book.Drop(connection);
  EXPECT_TRUE(book.TakeReady().empty());  // the unsent one went with its connection
}

}  // namespace
}  // namespace nestwalk::platform
