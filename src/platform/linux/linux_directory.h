// The directory seam on OpenLDAP's libldap, with SASL GSSAPI (MIT Kerberos) for negotiate
// binds.
#ifndef NESTWALK_PLATFORM_LINUX_LINUX_DIRECTORY_H_
#define NESTWALK_PLATFORM_LINUX_LINUX_DIRECTORY_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/linux/ldap_connection_table.h"
#include "platform/linux/ldap_sent_searches.h"
#include "platform/linux/socket_watchdog.h"

namespace nestwalk::platform {

// Owns every connection it opens until Unbind or its own destruction. Operations on a handle
// it does not know (never opened, or already unbound) do nothing and return LDAP_PARAM_ERROR
// (-9); ServerErrorText gives nullopt for them. Paged searches it starts must not outlive it.
// A referral is followed only with the caller's own credentials, and libldap would follow it
// with an anonymous bind (it has no way to repeat a GSSAPI bind elsewhere), so on this platform
// a referral is never followed: the search answers kLdapReferral with the URLs the server named.
// An interrupt (SIGINT) that arrives while a call waits does not end the call.
class LinuxDirectory : public Directory {
 public:
  // Connect time limit of every connection: a dead host costs this long, not minutes.
  static constexpr int kNetworkTimeoutSeconds = 10;
  // How long a bind round trip or a search (each page of a paged one, each search sent ahead)
  // may wait for the server's answer: a server that takes the connection and then stalls fails
  // with LDAP_TIMEOUT (-5) instead of hanging the run. It holds whatever the server does between
  // bytes: a server that stops, or trickles, inside a message has its connection cut when the
  // time is up (see SocketWatchdog), and the call reports LDAP_TIMEOUT all the same.
  static constexpr std::chrono::seconds kResponseTimeout{60};

  // `responseTimeout` replaces kResponseTimeout for every connection (tests make it short).
  explicit LinuxDirectory(std::chrono::seconds responseTimeout = kResponseTimeout);
  ~LinuxDirectory() override = default;
  LinuxDirectory(const LinuxDirectory&) = delete;
  LinuxDirectory& operator=(const LinuxDirectory&) = delete;

  // ldap_initialize on the URL of BuildLdapUrl; it does not connect yet. On failure the
  // library's code is the error; a port above 65535 is refused with LDAP_PARAM_ERROR.
  OpenResult Open(const std::optional<std::string>& host, int port, bool ssl) override;
  // kProtocolVersion: the value as protocol version; kReferrals: accepted and ignored, chasing
  // stays off (see the class comment); kEncryption: non-zero demands a SASL security layer of at
  // least 56 bits.
  int SetOption(LdapHandle connection, LdapOption option, int value) override;
  int SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                 const std::optional<std::string>& password) override;
  int NegotiateBind(LdapHandle connection,
                    const std::optional<ExplicitCredentials>& credentials) override;
  // On a non-zero code the entries are empty.
  SearchResult Search(LdapHandle connection, const SearchRequest& request) override;
  // Sent with ldap_search_ext; each has the response timeout from its sending to be answered.
  int SendSearch(LdapHandle connection, const SearchRequest& request) override;
  std::vector<SearchAnswer> AwaitAnswers(std::chrono::milliseconds maxWait) override;
  // nullptr for an unknown handle or a page size below 1; no request is sent until NextPage.
  std::unique_ptr<PagedSearch> StartPagedSearch(LdapHandle connection, const SearchRequest& request,
                                                int pageSize) override;
  std::string ErrorText(int code) override;
  // The connection's diagnostic message, nullopt when it is empty.
  std::optional<std::string> ServerErrorText(LdapHandle connection) override;
  // Only negotiate binds have reasons: see DescribeNegotiateFailure.
  std::optional<std::string> BindFailureReason(LdapHandle connection) override;
  void Unbind(LdapHandle connection) override;

 private:
  // Keeps `reason` as the connection's bind failure reason; an empty one forgets it.
  void KeepBindFailureReason(LdapHandle connection, std::string reason);

  std::chrono::seconds responseTimeout_;
  SocketWatchdog watchdog_;
  std::mutex reasonsMutex_;  // guards bindFailureReasons_: binds run on several threads
  std::map<std::uint64_t, std::string> bindFailureReasons_;
  LdapConnectionTable connections_;
  LdapSentSearches sent_;
};

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_LINUX_DIRECTORY_H_
