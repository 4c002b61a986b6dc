// Searches sent over libldap connections without waiting, and the collecting of their answers
// across every connection that has some outstanding.
#ifndef NESTWALK_PLATFORM_LINUX_LDAP_SENT_SEARCHES_H_
#define NESTWALK_PLATFORM_LINUX_LDAP_SENT_SEARCHES_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/directory.h"
#include "platform/linux/ldap_connection_table.h"
#include "platform/linux/socket_watchdog.h"

namespace nestwalk::platform {

// Send and Await come from one thread; Drop may come from another for a connection that thread
// is not using. `connections` and `watchdog` must outlive this object. Holds no libldap memory
// between calls: libldap itself queues the responses of each connection until they are
// collected.
class LdapSentSearches {
 public:
  using Clock = SocketWatchdog::Clock;

  // Each sent search gets `responseTimeout` from its sending to be answered, held by `watchdog`
  // whatever the server does between bytes.
  LdapSentSearches(const LdapConnectionTable& connections, SocketWatchdog& watchdog,
                   std::chrono::seconds responseTimeout);

  // Sends `request` and returns its id (> 0, never reused). An unknown connection is answered
  // with LDAP_PARAM_ERROR (-9) and a request libldap cannot send with its code, both at the next
  // Await.
  int Send(LdapHandle connection, const SearchRequest& request);
  // Collects every complete answer; when none is ready, waits on the connections' sockets up to
  // `maxWait` for one. A search past its deadline is abandoned and answered with kLdapTimeout;
  // a connection that fails answers all its searches with the library's code, and one whose
  // server held a read or a write past the earliest deadline of its searches is cut and answers
  // them all with kLdapTimeout. Empty at once when nothing is outstanding.
  std::vector<SearchAnswer> Await(std::chrono::milliseconds maxWait);
  // Forgets the connection's outstanding searches and undelivered answers.
  void Drop(LdapHandle connection);

 private:
  struct Outstanding {
    int id = 0;
    Clock::time_point deadline;
  };
  using Key = std::pair<std::uint64_t, int>;  // connection id, libldap message id

  std::vector<LdapHandle> BusyConnections();
  // When the connection's socket is cut while its answers are collected: the earliest deadline
  // of its searches, or a moment from now for searches already past it.
  Clock::time_point CollectDeadline(LdapHandle connection);
  // Takes every complete answer libldap has for `connection` without blocking.
  void Collect(LdapHandle connection, std::vector<SearchAnswer>& answers);
  // Answers every outstanding search of `connection` with `code`.
  void FailAll(LdapHandle connection, int code, std::vector<SearchAnswer>& answers);
  void ExpireOverdue(std::vector<SearchAnswer>& answers);
  // Returns when one of the connections' sockets is readable or `until` has come.
  void WaitForData(const std::vector<LdapHandle>& busy, Clock::time_point until);

  const LdapConnectionTable& connections_;
  SocketWatchdog& watchdog_;
  const std::chrono::seconds responseTimeout_;
  std::mutex mutex_;  // guards the members below
  std::map<Key, Outstanding> outstanding_;
  std::vector<SearchAnswer> ready_;
  int lastId_ = 0;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LDAP_SENT_SEARCHES_H_
