// Searches sent over wldap32 connections without waiting, and the collecting of their answers
// across every connection that has some outstanding.
#ifndef NESTWALK_PLATFORM_WINDOWS_LDAP_SENT_SEARCHES_H_
#define NESTWALK_PLATFORM_WINDOWS_LDAP_SENT_SEARCHES_H_

#include <chrono>
#include <vector>

#include "platform/directory.h"
#include "platform/handle_table.h"
#include "platform/sent_search_book.h"
#include "platform/windows/windows_handles.h"

namespace nestwalk::platform {

using LdapConnections = HandleTable<LdapPtr>;

// Send and Await come from one thread; Drop may come from another for a connection that thread
// is not using. `connections` must outlive this object. Holds no library memory between calls:
// wldap32 queues the responses of each connection until they are collected.
class LdapSentSearches {
 public:
  // Each sent search gets `responseTimeout` from its sending to be answered.
  LdapSentSearches(const LdapConnections& connections, std::chrono::seconds responseTimeout);

  // Sends `request` and returns its id (> 0, never reused). An unknown connection is answered
  // with kLdapParamError and a request the library cannot send with its code, both at the next
  // Await.
  int Send(LdapHandle connection, const SearchRequest& request);
  // Collects every complete answer; when none is ready, waits up to `maxWait` for one. A search
  // past its deadline is abandoned and answered with kLdapTimeout; a connection that fails
  // answers all its searches with the library's code (kLdapServerDown when it gives none).
  // Empty at once when nothing is outstanding.
  std::vector<SearchAnswer> Await(std::chrono::milliseconds maxWait);
  // Forgets the connection's outstanding searches and undelivered answers.
  void Drop(LdapHandle connection);

 private:
  // Takes every complete answer the library has for `connection`, waiting at most `wait` for
  // its oldest search.
  void Collect(LdapHandle connection, std::chrono::milliseconds wait,
               std::vector<SearchAnswer>& answers);
  // Abandons the searches past their deadline (answered with kLdapTimeout).
  void ExpireOverdue(std::vector<SearchAnswer>& answers);

  const LdapConnections& connections_;
  SentSearchBook book_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_WINDOWS_LDAP_SENT_SEARCHES_H_
