// The bookkeeping of searches sent over a directory's connections without waiting: their ids
// and deadlines, and the answers waiting to be handed out. A directory implementation keeps
// one and does the library calls itself.
#ifndef NESTWALK_PLATFORM_SENT_SEARCH_BOOK_H_
#define NESTWALK_PLATFORM_SENT_SEARCH_BOOK_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/directory.h"

namespace nestwalk::platform {

// Safe to use from several threads at once. A search is known by its connection and the
// library's message number for it.
class SentSearchBook {
 public:
  using Clock = std::chrono::steady_clock;
  using Message = std::int64_t;

  // Each search gets `responseTimeout` from its sending to be answered.
  explicit SentSearchBook(std::chrono::seconds responseTimeout);

  // Notes a search sent as `message` and returns its id (> 0, never reused).
  int Sent(LdapHandle connection, Message message);
  // A search that could not be sent: its id, answered with `code` at the next TakeReady.
  int Unsent(LdapHandle connection, int code);
  // The answers of unsent searches, each once.
  std::vector<SearchAnswer> TakeReady();
  // The connections with searches outstanding, each once.
  std::vector<LdapHandle> Busy() const;
  // The messages outstanding on `connection`, lowest first.
  std::vector<Message> MessagesOf(LdapHandle connection) const;
  // Appends `result` as the answer of `message` to `answers` and forgets the search; false (and
  // nothing appended) when the search is not outstanding (dropped, or given up on).
  bool Answer(LdapHandle connection, Message message, SearchResult result,
              std::vector<SearchAnswer>& answers);
  // Answers every outstanding search of `connection` with `code`.
  void FailAll(LdapHandle connection, int code, std::vector<SearchAnswer>& answers);
  // Answers every search past its deadline with kLdapTimeout and returns them, for the library
  // to abandon.
  std::vector<std::pair<LdapHandle, Message>> ExpireOverdue(std::vector<SearchAnswer>& answers);
  // The earliest of `until` and the outstanding searches' deadlines.
  Clock::time_point NextDeadline(Clock::time_point until) const;
  // Forgets the connection's outstanding searches and undelivered answers.
  void Drop(LdapHandle connection);

 private:
  struct Outstanding {
    int id = 0;
    Clock::time_point deadline;
  };
  using Key = std::pair<std::uint64_t, Message>;  // connection id, message number

  const std::chrono::seconds responseTimeout_;
  mutable std::mutex mutex_;  // guards the members below
  std::map<Key, Outstanding> outstanding_;
  std::vector<SearchAnswer> ready_;
  int lastId_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_SENT_SEARCH_BOOK_H_
