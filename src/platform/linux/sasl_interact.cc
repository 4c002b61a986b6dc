#include "platform/linux/sasl_interact.h"

#include <sasl/sasl.h>

#include <cstring>

namespace nestwalk::platform {

int AnswerSaslInteraction(LDAP* ld, unsigned /*flags*/, void* defaults, void* interactions) {
  const auto* bindDefaults = static_cast<const SaslBindDefaults*>(defaults);
  if (bindDefaults != nullptr && bindDefaults->credential != GSS_C_NO_CREDENTIAL) {
    if (ldap_set_option(ld, LDAP_OPT_X_SASL_GSS_CREDS, bindDefaults->credential) !=
        LDAP_OPT_SUCCESS) {
      return LDAP_LOCAL_ERROR;
    }
  }
  for (auto* prompt = static_cast<sasl_interact_t*>(interactions);
       prompt != nullptr && prompt->id != SASL_CB_LIST_END; ++prompt) {
    const char* answer = prompt->defresult != nullptr ? prompt->defresult : "";
    prompt->result = answer;
    prompt->len = static_cast<unsigned>(std::strlen(answer));
  }
  return LDAP_SUCCESS;
}

}  // namespace nestwalk::platform
