#include "platform/linux/linux_directory.h"

#include <ldap.h>
#include <sys/time.h>

#include <utility>

#include "platform/linux/ldap_call_deadline.h"
#include "platform/linux/ldap_handles.h"
#include "platform/linux/ldap_search_call.h"
#include "platform/linux/ldap_url.h"
#include "platform/linux/linux_paged_search.h"
#include "platform/linux/negotiate_bind.h"
#include "platform/linux/sigpipe_hold.h"

namespace nestwalk::platform {

namespace {

constexpr int kHighestPort = 65535;

}  // namespace

LinuxDirectory::LinuxDirectory(std::chrono::seconds responseTimeout)
    : responseTimeout_(responseTimeout), sent_(connections_, watchdog_, responseTimeout) {}

OpenResult LinuxDirectory::Open(const std::optional<std::string>& host, int port, bool ssl) {
  // libldap would keep only the low 16 bits and connect to some other port.
  if (port > kHighestPort) return OpenResult{LdapHandle(), LDAP_PARAM_ERROR};
  std::optional<std::string> url = BuildLdapUrl(host, port, ssl);
  LDAP* raw = nullptr;
  const int code = ldap_initialize(&raw, url ? url->c_str() : nullptr);
  LdapPtr ld(raw);
  if (code != LDAP_SUCCESS) return OpenResult{LdapHandle(), code};
  if (!ld) return OpenResult{LdapHandle(), LDAP_LOCAL_ERROR};

  const timeval connectTimeout{kNetworkTimeoutSeconds, 0};
  ldap_set_option(ld.get(), LDAP_OPT_NETWORK_TIMEOUT, &connectTimeout);
  // libldap applies it to every synchronous call made without a time limit of its own.
  const timeval responseTimeout{static_cast<time_t>(responseTimeout_.count()), 0};
  ldap_set_option(ld.get(), LDAP_OPT_TIMEOUT, &responseTimeout);
  // The service principal is ldap/<the name we were given>, not whatever the peer's address
  // reverse-resolves to.
  ldap_set_option(ld.get(), LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
  // A wait that a signal interrupts goes on waiting instead of reporting the server gone.
  ldap_set_option(ld.get(), LDAP_OPT_RESTART, LDAP_OPT_ON);
  ldap_set_option(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  return OpenResult{connections_.Add(std::move(ld)), 0};
}

int LinuxDirectory::SetOption(LdapHandle connection, LdapOption option, int value) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return LDAP_PARAM_ERROR;
  switch (option) {
    case LdapOption::kProtocolVersion:
      return ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &value);
    case LdapOption::kReferrals:
      return ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    case LdapOption::kEncryption:
      return ldap_set_option(ld, LDAP_OPT_X_SASL_SECPROPS, value != 0 ? "minssf=56" : "minssf=0");
  }
  return LDAP_PARAM_ERROR;
}

int LinuxDirectory::SimpleBind(LdapHandle connection, const std::optional<std::string>& dn,
                               const std::optional<std::string>& password) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return LDAP_PARAM_ERROR;
  std::string secret = password.value_or("");
  berval credential{static_cast<ber_len_t>(secret.size()), secret.data()};
  KeepBindFailureReason(connection, std::string());
  return CallBefore(watchdog_, ld, SocketWatchdog::Clock::now() + responseTimeout_, [&] {
    return ldap_sasl_bind_s(ld, dn ? dn->c_str() : nullptr, LDAP_SASL_SIMPLE, &credential, nullptr,
                            nullptr, nullptr);
  });
}

int LinuxDirectory::NegotiateBind(LdapHandle connection,
                                  const std::optional<ExplicitCredentials>& credentials) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return LDAP_PARAM_ERROR;
  // The bind's requests go out unwatched: a write to a socket the server reset fails instead
  // of raising SIGPIPE.
  const SigpipeHold sigpipe;
  const int code = NegotiateBindConnection(ld, credentials, watchdog_, responseTimeout_);
  KeepBindFailureReason(connection, code == LDAP_SUCCESS
                                        ? std::string()
                                        : DescribeNegotiateFailure(ld, code, !credentials));
  return code;
}

SearchResult LinuxDirectory::Search(LdapHandle connection, const SearchRequest& request) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return SearchResult{LDAP_PARAM_ERROR, {}};
  LdapSearchCall call(request);
  SearchCallResult result;
  const int code = CallBefore(watchdog_, ld, SocketWatchdog::Clock::now() + responseTimeout_, [&] {
    result = call.Run(ld, nullptr);
    return result.code;
  });
  return SearchOutcome(ld, code, result.messages.get());
}

int LinuxDirectory::SendSearch(LdapHandle connection, const SearchRequest& request) {
  return sent_.Send(connection, request);
}

std::vector<SearchAnswer> LinuxDirectory::AwaitAnswers(std::chrono::milliseconds maxWait) {
  return sent_.Await(maxWait);
}

std::unique_ptr<PagedSearch> LinuxDirectory::StartPagedSearch(LdapHandle connection,
                                                              const SearchRequest& request,
                                                              int pageSize) {
  if (connections_.Find(connection) == nullptr || pageSize < 1) return nullptr;
  return std::make_unique<LinuxPagedSearch>(connections_, watchdog_, responseTimeout_, connection,
                                            request, pageSize);
}

std::string LinuxDirectory::ErrorText(int code) { return ldap_err2string(code); }

std::optional<std::string> LinuxDirectory::ServerErrorText(LdapHandle connection) {
  LDAP* ld = connections_.Find(connection);
  if (ld == nullptr) return std::nullopt;
  char* raw = nullptr;
  if (ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &raw) != LDAP_OPT_SUCCESS) {
    return std::nullopt;
  }
  LdapTextPtr text(raw);
  if (!text || *text == '\0') return std::nullopt;
  return std::string(text.get());
}

std::optional<std::string> LinuxDirectory::BindFailureReason(LdapHandle connection) {
  const std::lock_guard lock(reasonsMutex_);
  auto found = bindFailureReasons_.find(connection.id());
  if (found == bindFailureReasons_.end()) return std::nullopt;
  return found->second;
}

void LinuxDirectory::KeepBindFailureReason(LdapHandle connection, std::string reason) {
  const std::lock_guard lock(reasonsMutex_);
  if (reason.empty()) {
    bindFailureReasons_.erase(connection.id());
  } else {
    bindFailureReasons_[connection.id()] = std::move(reason);
  }
}

void LinuxDirectory::Unbind(LdapHandle connection) {
  KeepBindFailureReason(connection, std::string());
  sent_.Drop(connection);
  connections_.Close(connection);
}

}  // namespace nestwalk::platform
