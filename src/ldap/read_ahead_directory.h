// A directory that can send searches ahead of the caller: a search asked for later, on the same
// connection with the same request, gets the answer fetched ahead instead of a new round trip.
// Whatever was not asked ahead goes to the wrapped directory as it is, so a wrong guess costs
// time only, never a different answer.
#ifndef NESTWALK_LDAP_READ_AHEAD_DIRECTORY_H_
#define NESTWALK_LDAP_READ_AHEAD_DIRECTORY_H_

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ldap/fail_fast_directory.h"
#include "platform/directory.h"
#include "platform/directory_wrapper.h"

namespace nestwalk {

// At most this many searches sent ahead are unanswered on one connection; the rest wait in a
// queue of their connection. A nesting level of a large closure brings a few hundred reads at
// once: the whole run over a closure of 10 levels of 200 groups takes 13 round trips with 256
// in flight (one a level), 19 with 128, against 2005 reading one group at a time.
inline constexpr int kReadWindow = 256;

// Told of every search answer as it comes in, to send follow-ups ahead.
class ReadAheadObserver {
 public:
  virtual ~ReadAheadObserver() = default;
  virtual void OnAnswer(platform::LdapHandle connection, const platform::SearchRequest& request,
                        const platform::SearchResult& result) = 0;
  // After every collection of answers, whether any came: a moment to send more.
  virtual void OnCollected() = 0;
};

struct ReadAheadStatistics {
  int sent = 0;          // searches sent ahead
  int used = 0;          // of them, answers that a search was given
  int mostInFlight = 0;  // the largest number unanswered on one connection at one time
};

// Not thread-safe: Prefetch, Search, CollectAnswers and Unbind come from one thread; other
// threads may call the wrapped directory itself on connections of their own. SendSearch and
// AwaitAnswers go straight through, and AwaitAnswers would take the answers of searches sent
// ahead too, so a caller uses either those two or Prefetch.
class ReadAheadDirectory : public platform::DirectoryWrapper {
 public:
  // `directory` is not owned and must outlive this object. A search of a server it has given
  // up fails at once, and it is told of every answer a search takes from what came ahead.
  explicit ReadAheadDirectory(FailFastDirectory& directory);

  // `observer` (not owned; nullptr: none) must stay valid while searches go through here.
  void SetObserver(ReadAheadObserver* observer);
  // Sends `request` ahead over `connection`, or queues it while the connection has kReadWindow
  // searches unanswered. Each prefetched answer serves one Search.
  void Prefetch(platform::LdapHandle connection, const platform::SearchRequest& request);
  // Takes the answers that have come within `maxWait`, sends queued searches in their place and
  // tells the observer.
  void CollectAnswers(std::chrono::milliseconds maxWait);
  const ReadAheadStatistics& statistics() const { return statistics_; }

  // A prefetched answer when one is there or on its way (a queued request goes out first);
  // otherwise the wrapped directory's search.
  platform::SearchResult Search(platform::LdapHandle connection,
                                const platform::SearchRequest& request) override;
  // Drops what was sent or queued ahead on the connection, then closes it.
  void Unbind(platform::LdapHandle connection) override;

 private:
  // One search asked ahead: queued, in flight, or answered and not yet used.
  struct Slot {
    platform::LdapHandle connection;
    platform::SearchRequest request;
    std::string key;
    int sentId = 0;  // 0 while queued
    std::optional<platform::SearchResult> result;
  };
  // What one connection has in flight and what waits to be sent on it.
  struct SendQueue {
    int inFlight = 0;
    std::deque<int> queued;  // slot tickets, the next to send first
  };

  void SendQueued(platform::LdapHandle connection);
  void Send(int ticket);
  // Waits for the slot's answer and hands it out, forgetting the slot.
  platform::SearchResult TakeAnswer(int ticket);
  void Forget(int ticket);

  FailFastDirectory& failFast_;
  ReadAheadObserver* observer_ = nullptr;
  int lastTicket_ = 0;
  std::map<int, Slot> slots_;                      // by ticket
  std::map<std::string, std::deque<int>> byKey_;   // unused tickets of one connection and request
  std::map<int, int> bySentId_;                    // ticket of each search in flight
  std::map<std::uint64_t, SendQueue> sendQueues_;  // by connection id
  ReadAheadStatistics statistics_;
};

}  // namespace nestwalk

#endif  // NESTWALK_LDAP_READ_AHEAD_DIRECTORY_H_
