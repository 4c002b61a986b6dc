// The interaction callback of a SASL GSSAPI bind: it answers the library's prompts without a
// terminal and hands an explicit GSS credential to the SASL context.
#ifndef NESTWALK_PLATFORM_LINUX_SASL_INTERACT_H_
#define NESTWALK_PLATFORM_LINUX_SASL_INTERACT_H_

#include <gssapi/gssapi.h>
#include <ldap.h>

namespace nestwalk::platform {

// What the callback is given through ldap_sasl_interactive_bind_s's `defaults` pointer. Not
// owned: the credential must outlive the bind call.
struct SaslBindDefaults {
  gss_cred_id_t credential = GSS_C_NO_CREDENTIAL;  // none: the caller's ticket cache
};

// An LDAP_SASL_INTERACT_PROC. `defaults` points to a SaslBindDefaults (or is null). Answers
// every sasl_interact_t of `interactions` with its default result, or "" when it has none, so
// nothing is ever prompted. With a credential it sets LDAP_OPT_X_SASL_GSS_CREDS on `ld`: only
// here does the SASL context exist that the option needs. Returns LDAP_SUCCESS, or
// LDAP_LOCAL_ERROR when the credential cannot be handed over (the bind then fails).
int AnswerSaslInteraction(LDAP* ld, unsigned flags, void* defaults, void* interactions);

}  // namespace nestwalk::platform

#endif  // NESTWALK_PLATFORM_LINUX_SASL_INTERACT_H_
