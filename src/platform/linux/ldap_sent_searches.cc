#include "platform/linux/ldap_sent_searches.h"

#include <ldap.h>
#include <poll.h>
#include <sys/time.h>

#include <algorithm>

#include "platform/linux/ldap_call_deadline.h"
#include "platform/linux/ldap_handles.h"
#include "platform/linux/ldap_search_call.h"

namespace nestwalk::platform {
namespace {

// How long a read or a write that begins after a search's deadline may take before its
// connection is cut: long enough for answers that have come whole, and for the abandon of an
// overdue search.
constexpr std::chrono::seconds kPastDeadlineAllowance{1};

}  // namespace

LdapSentSearches::LdapSentSearches(const LdapConnectionTable& connections, SocketWatchdog& watchdog,
                                   std::chrono::seconds responseTimeout)
    : connections_(connections), watchdog_(watchdog), responseTimeout_(responseTimeout) {}

int LdapSentSearches::Send(LdapHandle connection, const SearchRequest& request) {
  LDAP* ld = connections_.Find(connection);
  int messageId = 0;
  int code = LDAP_PARAM_ERROR;
  const Clock::time_point deadline = Clock::now() + responseTimeout_;
  if (ld != nullptr) {
    code = CallBefore(watchdog_, ld, deadline,
                      [&] { return LdapSearchCall(request).Send(ld, messageId); });
  }
  const std::lock_guard lock(mutex_);
  const int id = ++lastId_;
  if (code == LDAP_SUCCESS) {
    outstanding_[{connection.id(), messageId}] = Outstanding{id, deadline};
  } else {
    ready_.push_back(SearchAnswer{connection, id, SearchResult{code, {}}});
  }
  return id;
}

std::vector<SearchAnswer> LdapSentSearches::Await(std::chrono::milliseconds maxWait) {
  const Clock::time_point waitEnd = Clock::now() + maxWait;
  std::vector<SearchAnswer> answers;
  {
    const std::lock_guard lock(mutex_);
    answers.swap(ready_);
  }
  for (;;) {
    const std::vector<LdapHandle> busy = BusyConnections();
    if (busy.empty()) return answers;
    // libldap may hold whole messages in its own buffers (decrypted SASL data among them)
    // that the socket no longer shows, so each connection is asked before any waiting.
    for (LdapHandle connection : busy) Collect(connection, answers);
    ExpireOverdue(answers);
    if (!answers.empty() || Clock::now() >= waitEnd) return answers;
    Clock::time_point until = waitEnd;
    {
      const std::lock_guard lock(mutex_);
      for (const auto& [key, search] : outstanding_) until = std::min(until, search.deadline);
    }
    WaitForData(busy, until);
  }
}

void LdapSentSearches::Drop(LdapHandle connection) {
  const std::lock_guard lock(mutex_);
  std::erase_if(outstanding_,
                [connection](const auto& item) { return item.first.first == connection.id(); });
  std::erase_if(ready_,
                [connection](const SearchAnswer& answer) { return answer.connection == connection; });
}

std::vector<LdapHandle> LdapSentSearches::BusyConnections() {
  std::vector<LdapHandle> busy;
  const std::lock_guard lock(mutex_);
  for (const auto& [key, search] : outstanding_) {
    if (busy.empty() || busy.back().id() != key.first) busy.emplace_back(key.first);
  }
  return busy;
}

SocketWatchdog::Clock::time_point LdapSentSearches::CollectDeadline(LdapHandle connection) {
  Clock::time_point deadline = Clock::time_point::max();
  const std::lock_guard lock(mutex_);
  for (const auto& [key, search] : outstanding_) {
    if (key.first == connection.id()) deadline = std::min(deadline, search.deadline);
  }
  return std::max(deadline, Clock::now() + kPastDeadlineAllowance);
}

void LdapSentSearches::Collect(LdapHandle connection, std::vector<SearchAnswer>& answers) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return FailAll(connection, LDAP_PARAM_ERROR, answers);
  // ldap_result reads a message that has begun to arrive to its end, even when asked not to
  // wait: a server that stops inside one would hold it there.
  const LdapCallDeadline bound(watchdog_, ld, CollectDeadline(connection));
  for (;;) {
    timeval noWait{0, 0};
    LDAPMessage* raw = nullptr;
    const int type = ldap_result(ld, LDAP_RES_ANY, LDAP_MSG_ALL, &noWait, &raw);
    LdapMessagePtr chain(raw);
    if (type == 0) return;
    if (type < 0) {
      int code = LDAP_SERVER_DOWN;
      ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &code);
      return FailAll(connection, bound.Outcome(code), answers);
    }
    const std::lock_guard lock(mutex_);
    auto found = outstanding_.find({connection.id(), ldap_msgid(chain.get())});
    // Not one of ours: the late answer of a search that Search itself gave up on.
    if (found == outstanding_.end()) continue;
    answers.push_back(SearchAnswer{connection, found->second.id, ResultOfChain(ld, type, chain.get())});
    outstanding_.erase(found);
  }
}

void LdapSentSearches::FailAll(LdapHandle connection, int code,
                               std::vector<SearchAnswer>& answers) {
  const std::lock_guard lock(mutex_);
  std::erase_if(outstanding_, [&](const auto& item) {
    if (item.first.first != connection.id()) return false;
    answers.push_back(SearchAnswer{connection, item.second.id, SearchResult{code, {}}});
    return true;
  });
}

void LdapSentSearches::ExpireOverdue(std::vector<SearchAnswer>& answers) {
  const Clock::time_point now = Clock::now();
  std::vector<Key> overdue;
  {
    const std::lock_guard lock(mutex_);
    std::erase_if(outstanding_, [&](const auto& item) {
      if (item.second.deadline > now) return false;
      overdue.push_back(item.first);
      answers.push_back(SearchAnswer{LdapHandle(item.first.first), item.second.id,
                                     SearchResult{kLdapTimeout, {}}});
      return true;
    });
  }
  // The server is told to stop, and libldap drops whatever it still sends for the search. A
  // server that no longer takes even that has its connection cut, and the rest of its searches
  // go with it.
  for (const auto& [connectionId, messageId] : overdue) {
    const LdapHandle connection(connectionId);
    LDAP* ld = connections_.Find(connection);
    if (ld == nullptr) continue;
    const LdapCallDeadline bound(watchdog_, ld, now + kPastDeadlineAllowance);
    ldap_abandon_ext(ld, messageId, nullptr, nullptr);
    if (bound.Cut()) FailAll(connection, kLdapTimeout, answers);
  }
}

void LdapSentSearches::WaitForData(const std::vector<LdapHandle>& busy, Clock::time_point until) {
  std::vector<pollfd> sockets;
  for (LdapHandle connection : busy) {
    LDAP* ld = connections_.Find(connection);
    int fd = -1;
    if (ld != nullptr && ldap_get_option(ld, LDAP_OPT_DESC, &fd) == LDAP_OPT_SUCCESS && fd >= 0) {
      sockets.push_back(pollfd{fd, POLLIN, 0});
    }
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
  if (left.count() <= 0) return;
  poll(sockets.data(), sockets.size(), static_cast<int>(left.count()));
}

}  // namespace nestwalk::platform
