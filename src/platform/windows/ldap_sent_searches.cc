#include "platform/windows/ldap_sent_searches.h"

#include <algorithm>
#include <thread>

#include "platform/windows/ldap_chain.h"
#include "platform/windows/ldap_result_codes.h"
#include "platform/windows/wide_search_request.h"

namespace nestwalk::platform {

namespace {

// With several connections busy each is asked without waiting, and the round repeats after
// this pause: wldap32 offers no wait on many connections at once.
constexpr std::chrono::milliseconds kRoundPause{1};
// ldap_result's answer when the connection failed.
constexpr ULONG kResultFailed = static_cast<ULONG>(-1);

l_timeval TimeoutOf(std::chrono::milliseconds wait) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wait - seconds);
  return l_timeval{static_cast<LONG>(seconds.count()), static_cast<LONG>(micros.count())};
}

}  // namespace

LdapSentSearches::LdapSentSearches(const LdapConnections& connections,
                                   std::chrono::seconds responseTimeout)
    : connections_(connections), book_(responseTimeout) {}

int LdapSentSearches::Send(LdapHandle connection, const SearchRequest& request) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return book_.Unsent(connection, kLdapParamError);
  WideSearchRequest wide(request);
  ULONG messageNumber = 0;
  const ULONG code =
      ldap_search_extW(ld, wide.base(), wide.scope(), wide.filter(), wide.attributes(),
                       wide.attributesOnly(), nullptr, nullptr, 0, 0, &messageNumber);
  if (code != LDAP_SUCCESS) return book_.Unsent(connection, ProgramLdapCode(code));
  return book_.Sent(connection, messageNumber);
}

std::vector<SearchAnswer> LdapSentSearches::Await(std::chrono::milliseconds maxWait) {
  using Clock = SentSearchBook::Clock;
  const Clock::time_point waitEnd = Clock::now() + maxWait;
  std::vector<SearchAnswer> answers = book_.TakeReady();
  for (;;) {
    const std::vector<LdapHandle> busy = book_.Busy();
    if (busy.empty()) return answers;
    for (LdapHandle connection : busy) Collect(connection, std::chrono::milliseconds(0), answers);
    ExpireOverdue(answers);
    if (!answers.empty() || Clock::now() >= waitEnd) return answers;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(book_.NextDeadline(waitEnd) - Clock::now());
    if (left.count() <= 0) continue;
    // One busy connection can be waited on in the library itself.
    if (busy.size() == 1) {
      Collect(busy.front(), left, answers);
    } else {
      std::this_thread::sleep_for(std::min(left, kRoundPause));
    }
  }
}

void LdapSentSearches::Drop(LdapHandle connection) { book_.Drop(connection); }

void LdapSentSearches::Collect(LdapHandle connection, std::chrono::milliseconds wait,
                               std::vector<SearchAnswer>& answers) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return book_.FailAll(connection, kLdapParamError, answers);
  // Each search is asked for by its message number: not every wldap32 takes LDAP_RES_ANY or
  // fills in the message number of an answer. Only the oldest is waited for.
  for (const SentSearchBook::Message message : book_.MessagesOf(connection)) {
    l_timeval timeout = TimeoutOf(wait);
    wait = std::chrono::milliseconds(0);
    LDAPMessage* raw = nullptr;
    const ULONG type =
        ldap_result(ld, static_cast<ULONG>(message), LDAP_MSG_ALL, &timeout, &raw);
    const LdapMessagePtr chain(raw);
    if (type == 0) continue;
    if (type == kResultFailed || !chain) {
      const int code = ProgramLdapCode(LdapGetLastError());
      return book_.FailAll(connection, code != kLdapSuccess ? code : kLdapServerDown, answers);
    }
    book_.Answer(connection, message,
                 ResultOfChain(ld, ChainResultCode(ld, chain.get()), chain.get()), answers);
  }
}

void LdapSentSearches::ExpireOverdue(std::vector<SearchAnswer>& answers) {
  for (const auto& [connection, message] : book_.ExpireOverdue(answers)) {
    // The server is told to stop, and the library drops whatever it still sends for it.
    if (LDAP* ld = connections_.Find(connection)) ldap_abandon(ld, static_cast<ULONG>(message));
  }
}

}  // namespace nestwalk::platform
