#include "platform/linux/ldap_ping.h"

#include <ldap.h>
#include <openldap.h>
#include <sys/time.h>

#include "platform/filter_escape.h"
#include "platform/linux/ldap_handles.h"
#include "platform/linux/ldap_url.h"
#include "platform/linux/sigpipe_hold.h"
#include "platform/linux/tcp_connect.h"

namespace nestwalk::platform {
namespace {

timeval ToTimeval(std::chrono::milliseconds duration) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(duration.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>(duration.count() % 1000 * 1000);
  return tv;
}

}  // namespace

std::string PingFilter(std::string_view dnsDomain) {
  const std::string ntVersion = "(NtVer=\\06\\00\\00\\00)";
  // Samba only answers a ping whose filter is an AND, even of a single term.
  if (dnsDomain.empty()) return "(&" + ntVersion + ")";
  return "(&(DnsDomain=" + EscapeFilterValue(dnsDomain) + ")" + ntVersion + ")";
}

PingResult PingServer(const std::string& host, int port, const std::string& dnsDomain,
                      std::chrono::milliseconds timeout, std::stop_token stop) {
  const std::optional<std::string> url = BuildLdapUrl(host, port, false);
  if (!url) return {PingOutcome::kUnreachable, std::nullopt};
  SocketFd socket = ConnectTcp(host, port, timeout, stop);
  if (!socket.valid()) return {PingOutcome::kUnreachable, std::nullopt};
  const int fd = socket.get();
  LDAP* raw = nullptr;
  if (ldap_init_fd(fd, LDAP_PROTO_TCP, url->c_str(), &raw) != LDAP_SUCCESS) {
    return {PingOutcome::kUnreachable, std::nullopt};
  }
  socket.Release();  // closed by the unbind from now on
  LdapPtr ld(raw);
  // Declared after the handle, so it is gone before the unbind closes the socket.
  const ShutdownOnStop cut(stop, fd);

  const int version = LDAP_VERSION3;
  timeval limit = ToTimeval(timeout);
  ldap_set_option(ld.get(), LDAP_OPT_PROTOCOL_VERSION, &version);
  ldap_set_option(ld.get(), LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
  ldap_set_option(ld.get(), LDAP_OPT_TIMEOUT, &limit);
  // An interrupt while waiting for the answer is no sign of an unreachable server.
  ldap_set_option(ld.get(), LDAP_OPT_RESTART, LDAP_OPT_ON);

  const std::string filter = PingFilter(dnsDomain);
  char attribute[] = "Netlogon";
  char* attributes[] = {attribute, nullptr};
  LDAPMessage* rawResult = nullptr;
  // A stop may have cut the socket before the request goes out.
  const SigpipeHold sigpipe;
  const int code = ldap_search_ext_s(ld.get(), "", LDAP_SCOPE_BASE, filter.c_str(), attributes, 0,
                                     nullptr, nullptr, &limit, 1, &rawResult);
  LdapMessagePtr result(rawResult);
  if (code != LDAP_SUCCESS) {
    // A server that refuses the question is alive; only transport failures mean unreachable.
    if (code == LDAP_TIMEOUT || code == LDAP_TIMELIMIT_EXCEEDED) {
      return {PingOutcome::kTimedOut, std::nullopt};
    }
    const bool transport = code == LDAP_SERVER_DOWN || code == LDAP_CONNECT_ERROR;
    return {transport ? PingOutcome::kUnreachable : PingOutcome::kNotThisDomain, std::nullopt};
  }
  LDAPMessage* entry = ldap_first_entry(ld.get(), result.get());
  if (entry == nullptr) return {PingOutcome::kNotThisDomain, std::nullopt};
  BervalArrayPtr values(ldap_get_values_len(ld.get(), entry, attribute));
  if (!values || values.get()[0] == nullptr) return {PingOutcome::kNotThisDomain, std::nullopt};
  const berval* blob = values.get()[0];
  std::optional<NetlogonResponse> response =
      ParseNetlogonResponse(std::string_view(blob->bv_val, blob->bv_len));
  if (!response) return {PingOutcome::kBadAnswer, std::nullopt};
  return {PingOutcome::kAnswered, std::move(response)};
}

}  // namespace nestwalk::platform
