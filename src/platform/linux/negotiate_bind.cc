#include "platform/linux/negotiate_bind.h"

#include <krb5.h>

#include <utility>

#include "platform/linux/gss_credentials.h"
#include "platform/linux/ldap_call_deadline.h"
#include "platform/linux/ldap_handles.h"
#include "platform/linux/negotiate_failure.h"
#include "platform/linux/sasl_interact.h"

namespace nestwalk::platform {
namespace {

// The text of a string option that libldap hands out in memory of its own; empty when unset.
std::string TextOption(LDAP* ld, int option) {
  char* raw = nullptr;
  if (ldap_get_option(ld, option, &raw) != LDAP_OPT_SUCCESS) return std::string();
  const LdapTextPtr text(raw);
  return text ? std::string(text.get()) : std::string();
}

// The host of the connection's URL, the name its service ticket is asked for.
std::string ConnectionHost(LDAP* ld) {
  const std::string uri = TextOption(ld, LDAP_OPT_URI);
  LDAPURLDesc* raw = nullptr;
  if (uri.empty() || ldap_url_parse(uri.c_str(), &raw) != LDAP_URL_SUCCESS) return std::string();
  const LdapUrlPtr url(raw);
  return url->lud_host != nullptr ? std::string(url->lud_host) : std::string();
}

}  // namespace

int BindCodeForTicketFailure(std::int32_t krb5Error) {
  switch (krb5Error) {
    case KRB5KDC_ERR_PREAUTH_FAILED:
    case KRB5KRB_AP_ERR_BAD_INTEGRITY:
    case KRB5KDC_ERR_C_PRINCIPAL_UNKNOWN:
    case KRB5KDC_ERR_CLIENT_REVOKED:
    case KRB5KDC_ERR_KEY_EXP:
      return LDAP_INVALID_CREDENTIALS;
    default:
      return LDAP_LOCAL_ERROR;
  }
}

std::string DescribeNegotiateFailure(LDAP* ld, int code, bool callersTicket) {
  NegotiateFailure failure;
  failure.code = code;
  failure.saslDetail = TextOption(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE);
  if (callersTicket && code == LDAP_LOCAL_ERROR) {
    failure.callersTicket = CheckCallerTicket(ConnectionHost(ld));
  }
  return NegotiateFailureReason(failure);
}

int NegotiateBindConnection(LDAP* ld, const std::optional<ExplicitCredentials>& credentials,
                            SocketWatchdog& watchdog, std::chrono::seconds responseTimeout) {
  GssCredential credential;
  if (credentials) {
    AcquiredCredential acquired = AcquirePasswordCredential(
        KerberosPrincipalFor(credentials->user, credentials->domain), credentials->password);
    if (acquired.credential.empty()) {
      ldap_set_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, acquired.message.c_str());
      return BindCodeForTicketFailure(acquired.krb5Error);
    }
    credential = std::move(acquired.credential);
  }
  // The credential must live until the bind returns; SASL does not take it over.
  SaslBindDefaults defaults{credential.get()};
  // ldap_sasl_interactive_bind_s step by step, so that each wait for the server's answer has a
  // deadline of its own: libldap reads the rest of a message whose first bytes have come in one
  // blocking read, even before the security layer is set up.
  const char* mechanism = nullptr;
  LdapMessagePtr answer;
  for (;;) {
    int messageId = 0;
    const int code = ldap_sasl_interactive_bind(ld, nullptr, "GSSAPI", nullptr, nullptr,
                                                LDAP_SASL_QUIET, AnswerSaslInteraction, &defaults,
                                                answer.get(), &mechanism, &messageId);
    answer.reset();
    if (code != LDAP_SASL_BIND_IN_PROGRESS) return code;
    const LdapCallDeadline bound(watchdog, ld, SocketWatchdog::Clock::now() + responseTimeout);
    LDAPMessage* raw = nullptr;
    const int type = ldap_result(ld, messageId, LDAP_MSG_ALL, nullptr, &raw);
    answer.reset(raw);
    if (type == -1 || !answer) {
      int failure = LDAP_SERVER_DOWN;
      ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &failure);
      return bound.Outcome(failure);
    }
  }
}

}  // namespace nestwalk::platform
