#include "platform/windows/ldap_result_codes.h"

#include "platform/directory.h"

namespace nestwalk::platform {

namespace {

// wldap32's first and last client-side codes: LDAP_SERVER_DOWN, LDAP_REFERRAL_LIMIT_EXCEEDED.
constexpr unsigned long kFirstClientCode = 0x51;
constexpr unsigned long kLastClientCode = 0x61;

}  // namespace

int ProgramLdapCode(unsigned long windowsCode) {
  if (windowsCode == static_cast<unsigned long>(kLdapNoResultsReturned)) {
    return kLdapNoResultsReturned;
  }
  if (windowsCode < kFirstClientCode || windowsCode > kLastClientCode) {
    return static_cast<int>(windowsCode);
  }
  return -static_cast<int>(windowsCode - kFirstClientCode + 1);
}

unsigned long WindowsLdapCode(int programCode) {
  const int clientCodes = static_cast<int>(kLastClientCode - kFirstClientCode + 1);
  if (programCode < 0 && programCode >= -clientCodes) {
    return kFirstClientCode + static_cast<unsigned long>(-programCode) - 1;
  }
  return static_cast<unsigned long>(programCode);
}

}  // namespace nestwalk::platform
