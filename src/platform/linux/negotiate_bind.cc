#include "platform/linux/negotiate_bind.h"

#include <krb5.h>

#include <utility>

#include "platform/linux/gss_credentials.h"
#include "platform/linux/sasl_interact.h"

namespace nestwalk::platform {

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

int NegotiateBindConnection(LDAP* ld, const std::optional<ExplicitCredentials>& credentials) {
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
  return ldap_sasl_interactive_bind_s(ld, nullptr, "GSSAPI", nullptr, nullptr, LDAP_SASL_QUIET,
                                      AnswerSaslInteraction, &defaults);
}

}  // namespace nestwalk::platform
